// The benchmark's arithmetic and its two output forms.
#include "port/Benchmark.h"

#include <gtest/gtest.h>

TEST(Benchmark, PercentileIsTheNearestRank)
{
    EXPECT_EQ(bench::Percentile({}, 99), 0);
    EXPECT_EQ(bench::Percentile({7}, 99), 7);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    EXPECT_EQ(bench::Percentile(hundred, 99), 99);
    EXPECT_EQ(bench::Percentile(hundred, 50), 50);
    EXPECT_EQ(bench::Percentile(hundred, 100), 100);
    // 99 % of 150 frames is 148.5: the 149th value, so one slow frame in 150 does not count.
    std::vector<double> mostlyFast(150, 5.0);
    mostlyFast[17] = 500;
    EXPECT_EQ(bench::Percentile(mostlyFast, 99), 5);
    mostlyFast[18] = 400;
    EXPECT_EQ(bench::Percentile(mostlyFast, 99), 400);
}

TEST(Benchmark, FiguresPrintAsNameValueLinesAndAsJson)
{
    const bench::Figures figures = {{"frames", 3186}, {"frame.all.mean_ms", 6.25}, {"ratio.show_to_floor", 2.0 / 3}};
    EXPECT_EQ(bench::FiguresText(figures), "frames                                  3186\n"
                                           "frame.all.mean_ms                       6.250\n"
                                           "ratio.show_to_floor                     0.667\n");
    EXPECT_EQ(bench::FiguresJson(figures), "{\n"
                                           "  \"frames\": 3186,\n"
                                           "  \"frame.all.mean_ms\": 6.250,\n"
                                           "  \"ratio.show_to_floor\": 0.667\n"
                                           "}\n");
}
