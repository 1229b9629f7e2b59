#pragma once

// The benchmarks' command lines: "--name value" numbers and "--name"
// switches. Anything left unread by finish() prints the usage and ends the
// process with status 2.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

class Options
{
public:
    Options(int argc, char **argv, const char *usage)
        : m_program(argv[0])
        , m_usage(usage)
        , m_args(argv + 1, argv + argc)
        , m_read(m_args.size(), false)
    { }

    // The number after name, which must be above 0 (and whole if asked), or fallback.
    double positive(const char *name, double fallback, bool whole = false)
    {
        for (size_t i = 0; i + 1 < m_args.size(); ++i) {
            if (m_read[i] || m_args[i] != name) continue;
            m_read[i] = m_read[i + 1] = true;
            char *end = nullptr;
            const double value = std::strtod(m_args[i + 1].c_str(), &end);
            if (*end || !(value > 0) || (whole && value != double(long(value))))
                fail(std::string(name) + (whole ? " needs a whole number above 0" : " needs a number above 0"));
            return value;
        }
        return fallback;
    }

    bool flag(const char *name)
    {
        for (size_t i = 0; i < m_args.size(); ++i)
            if (!m_read[i] && m_args[i] == name) return m_read[i] = true;
        return false;
    }

    void finish() const
    {
        for (size_t i = 0; i < m_args.size(); ++i)
            if (!m_read[i]) fail("unknown option " + m_args[i]);
    }

private:
    [[noreturn]] void fail(const std::string &why) const
    {
        std::fprintf(stderr, "%s\nusage: %s %s\n", why.c_str(), m_program.c_str(), m_usage);
        std::exit(2);
    }

    std::string m_program;
    const char *m_usage;
    std::vector<std::string> m_args;
    std::vector<bool> m_read;
};

} // namespace bench
