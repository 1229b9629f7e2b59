#pragma once

// What every benchmark shares: the summary of a sample, and the lines of
// named fields they print, which bench/run reads by name:
//
//   alerts kind=single n=300 min_ms=4 median_ms=12 p99_ms=21 max_ms=39 ...
//
// Header-only and free of Qt, so that the bare window links nothing of the
// program through it.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

// Percentiles by nearest rank; the median of an even count is the mean of
// the middle two.
struct Summary
{
    size_t n = 0;
    double min = 0, median = 0, p99 = 0, max = 0;
};

template <typename T> Summary summarise(std::vector<T> values)
{
    Summary s;
    s.n = values.size();
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const size_t n = values.size(), rank99 = std::clamp<size_t>(size_t(std::ceil(0.99 * double(n))), 1, n);
    s.min = double(values.front());
    s.max = double(values.back());
    s.median = n % 2 ? double(values[n / 2]) : (double(values[n / 2 - 1]) + double(values[n / 2])) / 2;
    s.p99 = double(values[rank99 - 1]);
    return s;
}

// One printed line: its kind, then key=value fields, no blanks in either.
class Record
{
public:
    explicit Record(const std::string &kind)
        : m_line(kind)
    { }

    Record &text(const char *key, const std::string &value)
    {
        m_line += ' ';
        m_line += key;
        m_line += '=';
        m_line += value;
        return *this;
    }
    Record &number(const char *key, double value, int decimals = 1)
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        return text(key, buffer);
    }
    Record &count(const char *key, long long value) { return number(key, double(value), 0); }
    // n, then min_<unit>, median_<unit>, p99_<unit> and max_<unit>.
    Record &summary(const Summary &s, const std::string &unit, int decimals = 1)
    {
        count("n", (long long)s.n);
        for (const auto &[name, value] : {std::pair{"min_", s.min}, std::pair{"median_", s.median},
                 std::pair{"p99_", s.p99}, std::pair{"max_", s.max}})
            number((name + unit).c_str(), value, decimals);
        return *this;
    }
    void print() const
    {
        std::printf("%s\n", m_line.c_str());
        std::fflush(stdout);
    }

private:
    std::string m_line;
};

// The value of key in a line printed by Record, or fallback.
inline double field(const std::string &line, const std::string &key, double fallback = -1)
{
    const std::string wanted = ' ' + key + '=';
    const size_t at = (' ' + line).find(wanted);
    return at == std::string::npos ? fallback : std::atof(line.c_str() + at + wanted.size() - 1);
}

} // namespace bench
