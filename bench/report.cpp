// Turns a benchmark run into one Markdown table. Reads two kinds of lines, anything else ignored:
//   figure KEY UNIT GOAL TITLE...  a row, in the order given; UNIT "ms", or "MiB" for samples in KiB; GOAL
//                                  "-", "ratio<=N" (median ours / median baseline) or "max<=N" (every run)
//   sample KEY SIDE VALUE          one measurement; SIDE "ours" or "baseline"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string number(double value, const std::string &unit)
{
    value /= unit == "MiB" ? 1024 : 1;
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : value < 100 ? "%.1f" : "%.0f", value);
    return text;
}

// The median, and the cell that shows it with the minimum and maximum.
double summarize(std::vector<double> values, const std::string &unit, std::string *cell)
{
    *cell = "—";
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double median = (values[(values.size() - 1) / 2] + values[values.size() / 2]) / 2;
    *cell = number(median, unit) + " " + unit + " (" + number(values.front(), unit) + "–" +
            number(values.back(), unit) + ")";
    return median;
}

} // namespace

int main()
{
    std::vector<std::vector<std::string>> figures; // key, unit, goal, title
    std::map<std::string, std::map<std::string, std::vector<double>>> samples;
    std::string line, word, key, unit, goal, title;
    while (std::getline(std::cin, line)) {
        std::istringstream fields(line);
        double value;
        if (fields >> word >> key && word == "figure" && fields >> unit >> goal &&
            std::getline(fields >> std::ws, title))
            figures.push_back({key, unit, goal, title});
        else if (word == "sample" && fields >> word >> value)
            samples[key][word].push_back(value);
    }
    std::cout << "| figure | ours | baseline | ratio | goal | met? |\n|---|---|---|---|---|---|\n";
    size_t runs = 0;
    for (const auto &figure : figures) {
        const std::vector<double> &values = samples[figure[0]]["ours"];
        std::string ours, baseline, ratio = "—", goal = "—", met = "—";
        const double median = summarize(values, figure[1], &ours);
        const double baselineMedian = summarize(samples[figure[0]]["baseline"], figure[1], &baseline);
        runs = std::max(runs, values.size());
        if (median > 0 && baselineMedian > 0)
            ratio = number(median / baselineMedian, "");
        const size_t at = figure[2].find("<=");
        if (at != std::string::npos) {
            const bool byRatio = figure[2].compare(0, at, "ratio") == 0;
            const std::string limit = figure[2].substr(at + 2);
            goal = byRatio ? "ratio ≤ " + limit : "every run ≤ " + limit + " " + figure[1];
            const double largest = values.empty() ? -1 : *std::max_element(values.begin(), values.end());
            const double measured = !byRatio ? largest : ratio == "—" ? -1 : median / baselineMedian;
            if (measured >= 0)
                met = measured <= std::stod(limit) ? "yes" : "**no**";
        }
        std::cout << "| " << figure[3] << " | " << ours << " | " << baseline << " | " << ratio << " | "
                  << goal << " | " << met << " |\n";
    }
    std::cout << "\nMedian (minimum–maximum) of " << runs
              << " runs after a warm-up; ratio = median ours / median baseline. See bench/README.md.\n";
    return 0;
}
