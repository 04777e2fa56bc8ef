// Reads the samples of a benchmark run ("sample FIGURE SIDE VALUE" lines, anything else ignored) and prints
// one Markdown table: per figure the median with the minimum and maximum of our program and of its baseline,
// their ratio, the goal and whether it is met.
//
//   bench_report < samples > table.md

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace quibrel::bench {

namespace {

enum class Goal {
    Ratio,   // median ours / median baseline at most `limit`
    Maximum, // the largest of our samples at most `limit`
    Median,  // our median at most `limit`
    Report,  // measured and told, no goal
};

struct Figure {
    const char *key;
    const char *title;
    const char *unit; // "ms", or "MiB" for samples in KiB
    Goal goal;
    double limit;
};

const Figure figures[] = {
    {"startup",
     "start-up: process start to first frame of the maximized window, against a bare window showing one "
     "label "
     "in Terminus (TTF) 9 pt",
     "ms", Goal::Ratio, 1.05},
    {"peak_rss", "peak memory (max RSS) over that start-up, against that one-label window", "MiB",
     Goal::Ratio, 1.10},
    {"peak_rss_settled",
     "peak memory half a second after the first frame, against the one-label window at that moment", "MiB",
     Goal::Report, 0},
    {"startup_bare", "start-up, for scale: against an empty bare window", "ms", Goal::Report, 0},
    {"peak_rss_bare", "peak memory, for scale: against the empty bare window", "MiB", Goal::Report, 0},
    {"startup_sound", "start-up with the start-up sound there (1.5 s wave): against the one-label window",
     "ms", Goal::Report, 0},
    {"peak_rss_sound", "peak memory with the start-up sound there: against the one-label window", "MiB",
     Goal::Report, 0},
    {"peak_rss_sound_added", "peak memory that the start-up sound adds (same run, with it minus without)",
     "MiB", Goal::Report, 0},
    {"games", "game folder, 100,000 files / 20,000 games: path stored to file list filled, sorted, drawn",
     "ms", Goal::Ratio, 1.5},
    {"games_stall", "game folder: longest event-loop stall while it fills", "ms", Goal::Maximum, 100},
    {"directories", "directory list, 20,000 subfolders: path stored to list filled, sorted, drawn", "ms",
     Goal::Ratio, 1.5},
    {"directories_stall", "directory list: longest event-loop stall while it fills", "ms", Goal::Report, 0},
    {"play", "PLAY: click to the stub emulator's first instruction", "ms", Goal::Ratio, 2},
    {"play_delivery", "PLAY: of which the click's way through the X server and Qt to the button", "ms",
     Goal::Report, 0},
    {"play_wine",
     "PLAY through Wine, warm prefix: click to the Windows stub's stamp seen, against `wine stub`", "ms",
     Goal::Report, 0},
    {"sound_absent", "start-up sound absent: Open + Play", "ms", Goal::Median, 1},
    {"sound_open", "start-up sound present (1.5 s wave): Open, before the first frame", "ms", Goal::Report,
     0},
    {"sound_play", "start-up sound present: Play, before the first frame", "ms", Goal::Report, 0},
    {"sound_close", "start-up sound present: Close, on the PLAY path", "ms", Goal::Report, 0},
    {"sound_rss", "start-up sound present: resident memory added by Open + Play", "MiB", Goal::Report, 0},
};

struct Summary {
    double minimum = 0;
    double median = 0;
    double maximum = 0;
    size_t count = 0;
};

Summary summarize(std::vector<double> values)
{
    Summary summary;
    if (values.empty())
        return summary;
    std::sort(values.begin(), values.end());
    summary.count = values.size();
    summary.minimum = values.front();
    summary.maximum = values.back();
    const size_t middle = values.size() / 2;
    summary.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    return summary;
}

std::string number(double value, const char *unit)
{
    const bool mebibytes = std::string(unit) == "MiB";
    if (mebibytes)
        value /= 1024;
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : value < 100 ? "%.1f" : "%.0f", value);
    return text;
}

std::string cell(const Summary &summary, const char *unit)
{
    if (summary.count == 0)
        return "—";
    return number(summary.median, unit) + " " + unit + " (" + number(summary.minimum, unit) + "–" +
           number(summary.maximum, unit) + ")";
}

std::string limitText(double limit)
{
    std::ostringstream text;
    text << limit;
    return text.str();
}

} // namespace

} // namespace quibrel::bench

int main()
{
    using namespace quibrel::bench;
    std::map<std::string, std::map<std::string, std::vector<double>>> samples;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream fields(line);
        std::string word, figure, side;
        double value;
        if (fields >> word >> figure >> side >> value && word == "sample")
            samples[figure][side].push_back(value);
    }

    std::ostringstream table;
    table << "| figure | ours | baseline | ratio | goal | met? |\n|---|---|---|---|---|---|\n";
    bool allMet = true;
    for (const Figure &figure : figures) {
        const Summary ours = summarize(samples[figure.key]["ours"]);
        const Summary baseline = summarize(samples[figure.key]["baseline"]);
        std::string ratio = "—";
        std::string goal = "reported";
        std::string met = "—";
        if (ours.count && baseline.count && baseline.median > 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", ours.median / baseline.median);
            ratio = text;
        }
        switch (figure.goal) {
        case Goal::Ratio:
            goal = "ratio ≤ " + limitText(figure.limit);
            if (ours.count && baseline.count)
                met = ours.median / baseline.median <= figure.limit ? "yes" : "**no**";
            break;
        case Goal::Maximum:
            goal = "every run ≤ " + limitText(figure.limit) + " " + figure.unit;
            if (ours.count)
                met = ours.maximum <= figure.limit ? "yes" : "**no**";
            break;
        case Goal::Median:
            goal = "≤ " + limitText(figure.limit) + " " + figure.unit;
            if (ours.count)
                met = ours.median <= figure.limit ? "yes" : "**no**";
            break;
        case Goal::Report:
            break;
        }
        if (figure.goal != Goal::Report && met != "yes")
            allMet = false;
        table << "| " << figure.title << " | " << cell(ours, figure.unit) << " | "
              << cell(baseline, figure.unit) << " | " << ratio << " | " << goal << " | " << met << " |\n";
    }
    size_t runs = 0;
    for (const auto &[figure, sides] : samples) {
        for (const auto &[side, values] : sides)
            runs = std::max(runs, values.size());
    }
    table << "\nMedian (minimum–maximum) of " << runs
          << " runs after a warm-up; ratio = median ours / median baseline. See bench/README.md.\n"
          << (allMet ? "Every goal is met.\n" : "Not every goal is met.\n");

    std::cout << table.str();
    return 0;
}
