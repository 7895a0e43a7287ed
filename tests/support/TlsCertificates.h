#pragma once
// Certificates made at test time with the openssl program, once per test
// process, in a folder removed at exit:
//
//   const auto& certs = zelvo::testing::TlsCertificates::Shared();
//   certs.Ok()          // Path(), the made files are usable
//   certs.CaFile()      // the test CA; point SSL_CERT_FILE at it (ScopedEnv)
//   certs.Good()        // for localhost and 127.0.0.1, signed by the CA
//   certs.WrongName()   // for wrong-name.test only, signed by the CA
//   certs.Expired()     // for localhost and 127.0.0.1, signed by the CA,
//                       // valid only in January 2020
//   certs.SelfSigned()  // for localhost and 127.0.0.1, signed by itself
//
// Each of those is a KeyPair: .cert and .key are PEM file paths, fit for a
// server (nginx's ssl_certificate and ssl_certificate_key).
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/TempDir.h"

namespace zelvo::testing {

class TlsCertificates {
public:
    struct KeyPair {
        std::string cert;
        std::string key;
    };

    static const TlsCertificates& Shared() {
        static const TlsCertificates certs;
        return certs;
    }

    bool Ok() const { return ok_; }
    const std::string& Path() const { return dir_.Path(); }
    const std::string& CaFile() const { return ca_.cert; }
    const KeyPair& Good() const { return good_; }
    const KeyPair& WrongName() const { return wrongName_; }
    const KeyPair& Expired() const { return expired_; }
    const KeyPair& SelfSigned() const { return selfSigned_; }

private:
    TlsCertificates() {
        const std::string d = dir_.Path();
        const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        const std::string local = "subjectAltName=DNS:localhost,IP:127.0.0.1";
        Write(d + "/local.ext", local + "\nbasicConstraints=CA:FALSE\n");
        Write(d + "/wrong.ext", "subjectAltName=DNS:wrong-name.test\nbasicConstraints=CA:FALSE\n");
        Write(d + "/ca.cnf", "[ca]\ndefault_ca=z\n[z]\ndatabase=" + d +
                                 "/index.txt\nnew_certs_dir=" + d + "\nserial=" + d +
                                 "/serial\ndefault_md=sha256\npolicy=p\nunique_subject=no\n" +
                                 "[p]\ncommonName=supplied\n");
        Write(d + "/index.txt", "");
        Write(d + "/serial", "1000\n");
        ca_ = {d + "/ca.pem", d + "/ca.key"};
        good_ = {d + "/good.pem", d + "/good.key"};
        wrongName_ = {d + "/wrong.pem", d + "/wrong.key"};
        expired_ = {d + "/expired.pem", d + "/expired.key"};
        selfSigned_ = {d + "/self.pem", d + "/self.key"};
        ok_ = Run("req -x509" + key + " -keyout " + ca_.key + " -out " + ca_.cert +
                  " -days 30 -subj '/CN=Zelvo Test CA'" +
                  " -addext basicConstraints=critical,CA:TRUE" +
                  " -addext keyUsage=critical,keyCertSign,cRLSign") &&
              Signed(good_, "localhost", d + "/local.ext") &&
              Signed(wrongName_, "wrong-name.test", d + "/wrong.ext") &&
              Run("req" + key + " -keyout " + expired_.key + " -out " + d +
                  "/expired.csr -subj /CN=localhost") &&
              Run("ca -batch -notext -config " + d + "/ca.cnf -cert " + ca_.cert + " -keyfile " +
                  ca_.key + " -in " + d + "/expired.csr -out " + expired_.cert +
                  " -startdate 20200101000000Z -enddate 20200131000000Z -extfile " + d +
                  "/local.ext") &&
              Run("req -x509" + key + " -keyout " + selfSigned_.key + " -out " + selfSigned_.cert +
                  " -days 30 -subj /CN=localhost -addext " + local);
    }

    bool Signed(const KeyPair& pair, const std::string& cn, const std::string& ext) {
        const std::string csr = pair.cert + ".csr";
        return Run("req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " +
                   pair.key + " -out " + csr + " -subj /CN=" + cn) &&
               Run("x509 -req -in " + csr + " -CA " + ca_.cert + " -CAkey " + ca_.key +
                   " -CAcreateserial -days 30 -out " + pair.cert + " -extfile " + ext);
    }

    bool Run(const std::string& args) const {
        std::string cmd = "openssl " + args + " >>" + dir_.Path() + "/openssl.log 2>&1";
        return std::system(cmd.c_str()) == 0;
    }

    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path) << text;
    }

    TempDir dir_;
    bool ok_ = false;
    KeyPair ca_, good_, wrongName_, expired_, selfSigned_;
};

}  // namespace zelvo::testing
