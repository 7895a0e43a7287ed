#include "platform/win32/CertificateCheck.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/win32/WideText.h"

namespace zelvo::platform::win32 {
namespace {

struct StoreCloser {
    void operator()(HCERTSTORE store) const { ::CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreCloser>;

struct ChainFreer {
    void operator()(PCCERT_CHAIN_CONTEXT chain) const { ::CertFreeCertificateChain(chain); }
};
using Chain = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer>;

struct CertFreer {
    void operator()(PCCERT_CONTEXT cert) const { ::CertFreeCertificateContext(cert); }
};
using Cert = std::unique_ptr<const CERT_CONTEXT, CertFreer>;

// The SSL policy's checks to leave out, as the internet headers name them.
constexpr DWORD kIgnoreRevocation = 0x00000080;
constexpr DWORD kIgnoreUnknownCa = 0x00000100;
constexpr DWORD kIgnoreWrongUsage = 0x00000200;
constexpr DWORD kIgnoreDateInvalid = 0x00002000;

const std::string kUntrusted = "Certificate not trusted: ";

// An environment value as the process has it now: tests and callers set the
// trust store just before a session starts.
bool Environment(const wchar_t* name, std::wstring& value) {
    DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return false;
    value.assign(size, L'\0');
    size = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(size);
    return true;
}

// Every certificate of a PEM file; other blocks (keys, trust settings) and
// unreadable files add nothing, as they would not to the Linux store.
void AddPemFile(HCERTSTORE store, const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return;
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::string begin = "-----BEGIN CERTIFICATE-----";
    const std::string end = "-----END CERTIFICATE-----";
    for (std::size_t at = text.find(begin); at != std::string::npos; at = text.find(begin, at)) {
        const std::size_t stop = text.find(end, at);
        if (stop == std::string::npos)
            break;
        const std::string block = text.substr(at, stop + end.size() - at);
        at = stop + end.size();
        DWORD size = 0;
        if (!::CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                                    CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
            continue;
        std::vector<BYTE> der(size);
        if (!::CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                                    CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr))
            continue;
        ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                           CERT_STORE_ADD_USE_EXISTING, nullptr);
    }
}

// The folders' files are read whole, whatever their names: the hashed names
// a folder holds for the Linux library are links to the same certificates.
void AddPemFolders(HCERTSTORE store, const std::wstring& list) {
    std::wstringstream folders(list);
    std::wstring folder;
    while (std::getline(folders, folder, L';')) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.is_regular_file(error))
                AddPemFile(store, entry.path());
        }
    }
}

struct TrustStore {
    Store roots;              // the certificates the environment names
    bool systemRoots = true;  // whether the system's roots count too
};

TrustStore LoadTrustStore() {
    TrustStore trust;
    trust.roots.reset(::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    std::wstring file, folders;
    const bool haveFile = Environment(L"SSL_CERT_FILE", file);
    const bool haveFolders = Environment(L"SSL_CERT_DIR", folders);
    if (trust.roots && haveFile)
        AddPemFile(trust.roots.get(), std::filesystem::path(file));
    if (trust.roots && haveFolders)
        AddPemFolders(trust.roots.get(), folders);
    trust.systemRoots = !(haveFile && haveFolders);
    return trust;
}

bool InStore(HCERTSTORE store, PCCERT_CONTEXT cert) {
    if (store == nullptr)
        return false;
    Cert found(::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert,
                                            nullptr));
    return found != nullptr;
}

// The addresses a certificate names: only its alternative names count, as
// they do for the Linux library.
bool NamesAddress(PCCERT_CONTEXT cert, const std::array<std::uint8_t, 4>& address) {
    PCERT_EXTENSION ext = ::CertFindExtension(szOID_SUBJECT_ALT_NAME2, cert->pCertInfo->cExtension,
                                              cert->pCertInfo->rgExtension);
    if (ext == nullptr)
        return false;
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, ext->Value.pbData,
                               ext->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size))
        return false;
    std::unique_ptr<CERT_ALT_NAME_INFO, decltype(&::LocalFree)> owned(names, &::LocalFree);
    for (DWORD i = 0; i < names->cAltEntry; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        if (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && entry.IPAddress.cbData == 4 &&
            std::equal(address.begin(), address.end(), entry.IPAddress.pbData))
            return true;
    }
    return false;
}

bool NameMatches(PCCERT_CHAIN_CONTEXT chain, const std::string& serverName) {
    std::array<std::uint8_t, 4> address{};
    if (IsDottedAddress(serverName, &address))
        return NamesAddress(chain->rgpChain[0]->rgpElement[0]->pCertContext, address);
    // The system's check of the name alone: trust, dates and use are judged
    // apart, in the Linux library's order.
    std::wstring name = Wide(serverName);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = kIgnoreUnknownCa | kIgnoreDateInvalid | kIgnoreRevocation | kIgnoreWrongUsage;
    ssl.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA para{};
    para.cbSize = sizeof para;
    para.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS |
                   CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG |
                   CERT_CHAIN_POLICY_IGNORE_WRONG_USAGE_FLAG |
                   CERT_CHAIN_POLICY_IGNORE_INVALID_BASIC_CONSTRAINTS_FLAG |
                   CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
    para.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &para, &status))
        return false;
    return status.dwError != static_cast<DWORD>(CERT_E_CN_NO_MATCH);
}

// The chain's own faults past trust and name, top down as the Linux library
// meets them; empty when there are none.
std::string ChainFault(PCCERT_CHAIN_CONTEXT chain, DWORD errors) {
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    if ((errors & CERT_TRUST_IS_NOT_TIME_VALID) != 0) {
        for (DWORD i = simple->cElement; i-- > 0;) {
            LONG when =
                ::CertVerifyTimeValidity(nullptr, simple->rgpElement[i]->pCertContext->pCertInfo);
            if (when > 0)
                return "certificate has expired";
            if (when < 0)
                return "certificate is not yet valid";
        }
    }
    if ((errors & CERT_TRUST_IS_NOT_SIGNATURE_VALID) != 0)
        return "certificate signature failure";
    if ((errors & CERT_TRUST_IS_REVOKED) != 0)
        return "certificate revoked";
    if ((errors & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) != 0)
        return "unsupported certificate purpose";
    if ((errors & CERT_TRUST_INVALID_BASIC_CONSTRAINTS) != 0)
        return "invalid CA certificate";
    // Revocation is not asked about (the Linux library does not ask either),
    // and an unnested validity alone harms nothing.
    const DWORD ignored = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION |
                          CERT_TRUST_IS_NOT_TIME_NESTED | CERT_TRUST_IS_NOT_TIME_VALID;
    if ((errors & ~ignored) != 0)
        return "unspecified certificate verification error";
    return {};
}

}  // namespace

bool IsDottedAddress(const std::string& text, std::array<std::uint8_t, 4>* bytes) {
    std::array<std::uint8_t, 4> parsed{};
    std::size_t at = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return false;
            ++at;
        }
        std::size_t digits = 0;
        unsigned value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        parsed[part] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size())
        return false;
    if (bytes != nullptr)
        *bytes = parsed;
    return true;
}

std::string CheckServerCertificate(PCCERT_CONTEXT cert, const std::string& serverName) {
    TrustStore trust = LoadTrustStore();
    // The chain may be built through the roots of the environment and the
    // intermediates the server sent; whether its top is trusted is decided
    // below, as the system would not know those roots.
    Store extra(::CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr));
    if (!extra || !trust.roots)
        return kUntrusted + "out of memory";
    ::CertAddStoreToCollection(extra.get(), trust.roots.get(), 0, 0);
    if (cert->hCertStore != nullptr)
        ::CertAddStoreToCollection(extra.get(), cert->hCertStore, 0, 0);

    LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = &serverAuth;
    PCCERT_CHAIN_CONTEXT built = nullptr;
    if (!::CertGetCertificateChain(nullptr, cert, nullptr, extra.get(), &para, 0, nullptr, &built))
        return kUntrusted + "unable to get local issuer certificate";
    Chain chain(built);
    if (chain->cChain == 0 || chain->rgpChain[0]->cElement == 0)
        return kUntrusted + "unable to get local issuer certificate";

    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    PCCERT_CONTEXT top = simple->rgpElement[simple->cElement - 1]->pCertContext;
    DWORD errors = simple->TrustStatus.dwErrorStatus;
    if ((errors & CERT_TRUST_IS_PARTIAL_CHAIN) != 0)
        return kUntrusted + "unable to get local issuer certificate";
    const bool systemTrusts = (errors & CERT_TRUST_IS_UNTRUSTED_ROOT) == 0;
    if (!InStore(trust.roots.get(), top) && !(trust.systemRoots && systemTrusts)) {
        if (simple->cElement == 1)
            return kUntrusted + "self-signed certificate";
        // A root the server sent along is one the Linux library sees in the
        // chain; one found only among the system's roots it never meets.
        if (InStore(cert->hCertStore, top))
            return kUntrusted + "self-signed certificate in certificate chain";
        return kUntrusted + "unable to get local issuer certificate";
    }
    errors &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);

    if (!NameMatches(chain.get(), serverName))
        return "Certificate name mismatch";
    std::string fault = ChainFault(chain.get(), errors);
    return fault.empty() ? fault : kUntrusted + fault;
}

}  // namespace zelvo::platform::win32
