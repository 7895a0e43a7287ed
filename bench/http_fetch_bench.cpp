// Wall time and peak memory of fetching one large file from nginx on
// loopback through THttpCli, over http and over https, each beside curl
// fetching the same file in the same run. Prints the ratios; the aim is
// within 3 times curl's time.
//
//   build/bench/http_fetch_bench [megabytes=50] [rounds=3]
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "http/HttpProt.h"
#include "http/Stream.h"
#include "platform/Application.h"
#include "support/NginxServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TlsCertificates.h"

namespace {

using Clock = std::chrono::steady_clock;
using zelvo::testing::NginxServer;
using zelvo::testing::TempDir;
using zelvo::testing::TlsCertificates;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The process's resident-set peak, in bytes, since the last reset.
long PeakRss() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6) * 1024;
    return -1;
}

long CurrentRss() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6) * 1024;
    return -1;
}

void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Fetch {
    double seconds = 0;
    double cpu = 0;  // user and system seconds
    long bytes = 0;
    long peakRss = 0;
    long rssBefore = 0;
    std::string failure;
};

double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Fetch CurlFetch(const std::string& url, const std::string& ca, const std::string& out) {
    Fetch f;
    std::string cmd = "curl -s -S --cacert '" + ca + "' -o '" + out + "' '" + url + "'";
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    auto start = Clock::now();
    int rc = std::system(cmd.c_str());
    f.seconds = Seconds(start);
    f.cpu = CpuSeconds(RUSAGE_CHILDREN) - cpu;
    std::ifstream in(out, std::ios::binary | std::ios::ate);
    f.bytes = static_cast<long>(in.tellg());
    if (rc != 0)
        f.failure = "curl exited with " + std::to_string(rc);
    return f;
}

Fetch ClientFetch(const std::string& url) {
    Fetch f;
    zelvo::http::TMemoryStream body;
    {
        zelvo::http::THttpCli client;
        client.SetURL(url);
        // Transfer is measured here, not the ticker's limit on what it keeps.
        client.SetMaxDocumentSize(std::int64_t{1} << 40);
        client.OnDocBegin = [&](zelvo::http::THttpCli* c) { c->SetRcvdStream(&body); };
        ResetPeakRss();
        f.rssBefore = CurrentRss();
        const double cpu = CpuSeconds(RUSAGE_SELF);
        auto start = Clock::now();
        try {
            client.Get();
        } catch (const std::exception& e) {
            f.failure = e.what();
        }
        f.seconds = Seconds(start);
        f.cpu = CpuSeconds(RUSAGE_SELF) - cpu;
        f.peakRss = PeakRss();
        if (f.failure.empty() && client.StatusCode() != 200)
            f.failure = std::to_string(client.StatusCode()) + " " + client.ReasonPhrase();
    }
    f.bytes = static_cast<long>(body.Size());
    return f;
}

double Mib(long bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 50;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
    int qtArgc = 1;
    zelvo::platform::Application app(qtArgc, argv);

    const TlsCertificates& certs = TlsCertificates::Shared();
    if (!certs.Ok()) {
        std::fprintf(stderr, "openssl could not make the certificates\n");
        return 1;
    }
    zelvo::testing::ScopedEnv trust("SSL_CERT_FILE", certs.CaFile());
    TempDir root;
    {
        std::mt19937_64 rng(11);
        std::string block(1 << 20, '\0');
        std::ofstream file(root / "big.bin", std::ios::binary);
        for (long i = 0; i < megabytes; ++i) {
            for (char& c : block)
                c = static_cast<char>(rng());
            file.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    const long size = megabytes << 20;
    NginxServer nginx({root.Path(), certs.Good(), ""});
    if (!nginx.Running()) {
        std::fprintf(stderr, "nginx did not start:\n%s\n", nginx.Log().c_str());
        return 1;
    }

    int status = 0;
    for (const std::string scheme : {"http", "https"}) {
        const std::string url =
            scheme + "://127.0.0.1:" +
            std::to_string(scheme == "http" ? nginx.HttpPort() : nginx.HttpsPort()) + "/big.bin";
        Fetch curl, client;
        curl.seconds = client.seconds = 1e9;
        // Best of the rounds for each (by wall time), alternating so both see
        // the same machine.
        for (int r = 0; r < rounds; ++r) {
            Fetch c = CurlFetch(url, certs.CaFile(), root / "curl.out");
            if (c.seconds < curl.seconds || !c.failure.empty())
                curl = c;
            Fetch z = ClientFetch(url);
            if (z.seconds < client.seconds || !z.failure.empty())
                client = z;
            if (!c.failure.empty() || !z.failure.empty())
                break;
        }
        // Wall time on a shared machine follows the load; the processor time
        // each side used is printed beside it. (A child's own peak memory
        // cannot be told apart from this process's, so only ours is shown.)
        std::printf(
            "%-5s %ld MiB  wall: curl %.3f s, THttpCli %.3f s, ratio %.2f;  "
            "cpu: curl %.3f s, THttpCli %.3f s, ratio %.2f\n",
            scheme.c_str(), megabytes, curl.seconds, client.seconds, client.seconds / curl.seconds,
            curl.cpu, client.cpu, client.cpu / curl.cpu);
        std::printf(
            "      THttpCli peak RSS %.1f MiB = %.2f x body (%.2f x body above the "
            "%.1f MiB before the fetch)\n",
            Mib(client.peakRss), static_cast<double>(client.peakRss) / size,
            static_cast<double>(client.peakRss - client.rssBefore) / size, Mib(client.rssBefore));
        if (!curl.failure.empty() || curl.bytes != size) {
            std::printf("  curl failed: %s (%ld bytes)\n", curl.failure.c_str(), curl.bytes);
            status = 1;
        }
        if (!client.failure.empty() || client.bytes != size) {
            std::printf("  THttpCli failed: %s (%ld bytes)\n", client.failure.c_str(),
                        client.bytes);
            status = 1;
        }
    }
    return status;
}
