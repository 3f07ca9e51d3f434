// larkspire-genmail: writes a Maildir of N varied messages, the same bytes for the same seed and N.
// Dates are spread over 2008-2024 in a shuffled order, so neither creation order nor file names
// follow the Date: fields; file times are the delivery times, a little after each Date.

#include "MaildirWriter.h"
#include "MessageMaker.h"
#include "Rng.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kFirstDate = 1199145600; // 2008-01-01 00:00 UTC
constexpr std::int64_t kLastDate = 1735689600;  // 2025-01-01 00:00 UTC

struct Options {
    std::uint64_t seed = 1;
    std::uint64_t count = 10000;
    bool quiet = false;
    std::string folder;
};

void usage() {
    std::fprintf(stderr, "usage: larkspire-genmail [--seed=N] [--count=N] [--quiet] MAILDIR\n");
    std::exit(2);
}

std::uint64_t number(const std::string& text) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') {
        usage();
    }
    return value;
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--seed=", 0) == 0) {
            options.seed = number(arg.substr(7));
        } else if (arg.rfind("--count=", 0) == 0) {
            options.count = number(arg.substr(8));
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (!arg.empty() && arg[0] != '-' && options.folder.empty()) {
            options.folder = arg;
        } else {
            usage();
        }
    }
    if (options.folder.empty() || options.count == 0 ||
        options.count > static_cast<std::uint64_t>(kLastDate - kFirstDate) / 4) {
        usage();
    }
    return options;
}

// One distinct Date per message: a slot of the span each, the slots dealt out in shuffled order.
std::vector<std::int64_t> shuffledDates(std::uint64_t seed, std::uint64_t count) {
    bench::Rng rng(seed ^ 0xD1B54A32D192ED03ULL);
    std::int64_t slot = (kLastDate - kFirstDate) / static_cast<std::int64_t>(count);
    std::vector<std::int64_t> dates(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        dates[i] = kFirstDate + static_cast<std::int64_t>(i) * slot + rng.between(0, slot * 3 / 4);
    }
    for (std::uint64_t i = count - 1; i > 0; --i) {
        std::swap(dates[i], dates[rng.below(i + 1)]);
    }
    return dates;
}

std::string kilobytes(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
    return text;
}

void printSummary(const Options& options, const std::vector<std::size_t>& sizes, const bench::Tally& tally,
                  double seconds) {
    std::vector<std::size_t> sorted = sizes;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (std::size_t s : sorted) {
        total += static_cast<double>(s);
    }
    auto at = [&](double fraction) {
        return static_cast<double>(
            sorted[static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1))]);
    };
    std::printf("larkspire-genmail: %llu messages, %.1f MB in %s (seed %llu) in %.2f s\n",
                static_cast<unsigned long long>(options.count), total / 1048576.0, options.folder.c_str(),
                static_cast<unsigned long long>(options.seed), seconds);
    if (options.quiet) {
        return;
    }
    std::printf("sizes: min %s, median %s, 90%% %s, 99%% %s, max %s, mean %s\n", kilobytes(at(0)).c_str(),
                kilobytes(at(0.5)).c_str(), kilobytes(at(0.9)).c_str(), kilobytes(at(0.99)).c_str(),
                kilobytes(at(1)).c_str(), kilobytes(total / static_cast<double>(sorted.size())).c_str());
    std::printf("what was generated (count, per 100 messages):\n");
    std::string group;
    for (const auto& [what, n] : tally) {
        std::size_t colon = what.find(": ");
        std::string head = what.substr(0, colon);
        if (head != group) {
            std::printf("%s:\n", head.c_str());
            group = head;
        }
        std::printf("  %-62s %8llu %6.2f\n", what.c_str() + colon + 2, static_cast<unsigned long long>(n),
                    100.0 * static_cast<double>(n) / static_cast<double>(options.count));
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    try {
        auto start = std::chrono::steady_clock::now();
        bench::MaildirWriter writer(options.folder);
        std::vector<std::int64_t> dates = shuffledDates(options.seed, options.count);
        std::vector<std::size_t> sizes;
        sizes.reserve(options.count);
        bench::Tally tally;
        static const int kZones[] = {0, 60, 120, -300, -240, -480, -420, 330, 540, 600, 780, -210, 60, 60, 0};
        for (std::uint64_t i = 0; i < options.count; ++i) {
            bench::Rng rng = bench::Rng::forItem(options.seed, i);
            bench::Envelope envelope;
            envelope.index = i;
            envelope.dateUtc = dates[i];
            envelope.zoneMinutes = kZones[rng.below(std::size(kZones))];
            std::int64_t delay = static_cast<std::int64_t>(std::clamp(rng.logNormal(20, 1.5), 1.0, 259200.0));
            if (rng.chance(0.01)) {
                // A sender's clock far off: Date and arrival disagree by days or years.
                ++tally["file: time far from Date (wrong clock)"];
                delay = rng.between(86400, 3 * 365 * 86400) * (rng.chance(0.5) ? 1 : -1);
            }
            envelope.deliveryUtc = envelope.dateUtc + delay;
            bench::Kind kind = bench::chooseKind(rng);
            bench::MessageMaker maker(rng, envelope, tally);
            std::string message = maker.make(kind);
            bool inNew = rng.chance(0.07);
            static const char* const kFlags[] = {"S", "", "RS", "FS", "FRS"};
            std::string flags = inNew ? "" : kFlags[rng.weighted({70, 15, 8, 4, 3})];
            ++tally["file: " + std::string(inNew ? "in new/ (no info)" : "in cur/ with :2," + flags)];
            writer.write(message, envelope.deliveryUtc, i, flags, inNew, rng.chance(0.3));
            if (message.size() < 1024) {
                ++tally[std::string("size: under 1 KB, ") + bench::kindName(kind)];
            }
            sizes.push_back(message.size());
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        printSummary(options, sizes, tally, seconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "larkspire-genmail: %s\n", e.what());
        return 1;
    }
    return 0;
}
