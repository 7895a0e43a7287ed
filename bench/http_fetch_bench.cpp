// Processor time and peak memory of fetching one large file from nginx on
// loopback through THttpCli, over http and over https, beside curl fetching
// the same file. The runs are paired and interleaved (ours, curl, ours,
// curl, the schemes alternating, and who goes first alternating too), so a
// change in the machine's load or in this process's allocator falls on both
// sides of a pair; each pair gives one ratio, and the median of the ratios
// and their spread are printed. Processor time is the figure: on a shared
// machine wall time follows the load.
//
//   build/bench/http_fetch_bench [megabytes=50] [rounds=5]
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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
    // The ticker's road: the document comes back in the fetch's result.
    zelvo::http::TFetchResult result;
    {
        zelvo::http::THttpCli client;
        client.SetURL(url);
        // Transfer is measured here, not the ticker's limit on what it keeps.
        client.SetMaxDocumentSize(std::int64_t{1} << 40);
        ResetPeakRss();
        f.rssBefore = CurrentRss();
        const double cpu = CpuSeconds(RUSAGE_SELF);
        auto start = Clock::now();
        result = client.Fetch();
        f.seconds = Seconds(start);
        f.cpu = CpuSeconds(RUSAGE_SELF) - cpu;
        f.peakRss = PeakRss();
        if (result.Failed || result.StatusCode != 200)
            f.failure = std::to_string(result.StatusCode) + " " + result.ReasonPhrase;
    }
    f.bytes = result.Body ? static_cast<long>(result.Body->size()) : 0;
    return f;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Series {
    std::vector<double> cpuRatio, wallRatio, curlCpu, clientCpu, peakAbove;
};

void PrintSeries(const char* scheme, long megabytes, const Series& s) {
    if (s.cpuRatio.empty())
        return;
    const auto [lo, hi] = std::minmax_element(s.cpuRatio.begin(), s.cpuRatio.end());
    std::printf(
        "%-5s %ld MiB, %zu pairs  cpu ratio THttpCli/curl: median %.2f (min %.2f, max %.2f);  "
        "median cpu: curl %.3f s, THttpCli %.3f s;  median wall ratio %.2f\n",
        scheme, megabytes, s.cpuRatio.size(), Median(s.cpuRatio), *lo, *hi, Median(s.curlCpu),
        Median(s.clientCpu), Median(s.wallRatio));
    const auto [plo, phi] = std::minmax_element(s.peakAbove.begin(), s.peakAbove.end());
    std::printf(
        "      THttpCli peak RSS above the start of the fetch: median %.2f x body "
        "(min %.2f, max %.2f)\n",
        Median(s.peakAbove), *plo, *phi);
}

}  // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 50;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
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

    const std::array<std::string, 2> schemes{"http", "https"};
    std::array<Series, 2> series;
    int status = 0;
    auto failed = [&](const char* who, const std::string& scheme, const Fetch& f) {
        if (f.failure.empty() && f.bytes == size)
            return false;
        std::printf("  %s %s failed: %s (%ld bytes)\n", scheme.c_str(), who, f.failure.c_str(),
                    f.bytes);
        status = 1;
        return true;
    };
    for (int r = 0; r < rounds && status == 0; ++r) {
        for (int k = 0; k < 2 && status == 0; ++k) {
            // Which scheme goes first, and which side of the pair, turn
            // over from round to round.
            const std::size_t which = static_cast<std::size_t>((k + r) % 2);
            const std::string& scheme = schemes[which];
            const std::string url =
                scheme + "://127.0.0.1:" +
                std::to_string(which == 0 ? nginx.HttpPort() : nginx.HttpsPort()) + "/big.bin";
            Fetch curl, client;
            if (r % 2 == 0) {
                client = ClientFetch(url);
                curl = CurlFetch(url, certs.CaFile(), root / "curl.out");
            } else {
                curl = CurlFetch(url, certs.CaFile(), root / "curl.out");
                client = ClientFetch(url);
            }
            if (failed("curl", scheme, curl) || failed("THttpCli", scheme, client))
                break;
            Series& s = series[which];
            s.cpuRatio.push_back(client.cpu / curl.cpu);
            s.wallRatio.push_back(client.seconds / curl.seconds);
            s.curlCpu.push_back(curl.cpu);
            s.clientCpu.push_back(client.cpu);
            s.peakAbove.push_back(static_cast<double>(client.peakRss - client.rssBefore) / size);
        }
    }
    for (std::size_t i = 0; i < schemes.size(); ++i)
        PrintSeries(schemes[i].c_str(), megabytes, series[i]);
    return status;
}
