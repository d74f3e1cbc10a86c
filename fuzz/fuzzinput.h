// SPDX-License-Identifier: MIT
// What the fuzz target's readers share: typed values read off the fuzzer's bytes, a check that
// aborts (so that libFuzzer and the replay runner both count a broken promise as a finding),
// and quiet Qt diagnostics (TOLLMARK_FUZZ_VERBOSE=1 prints them).
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Takes values from the front of the input; once it is used up every value reads as zero.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : data(data)
        , size(size)
    {
        static const bool verbose = qEnvironmentVariableIsSet("TOLLMARK_FUZZ_VERBOSE");
        if (!verbose)
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }

    std::uint8_t byte() { return pos < size ? data[pos++] : 0; }
    bool flag() { return byte() & 1; }
    std::int32_t int32()
    {
        std::uint32_t v = 0;
        for (int shift = 0; shift < 32; shift += 8)
            v |= std::uint32_t(byte()) << shift;
        return std::int32_t(v);
    }
    // The bytes up to the next 00 (which is consumed) or to the end.
    QByteArray text()
    {
        const std::size_t start = pos;
        while (pos < size && data[pos] != 0)
            ++pos;
        const QByteArray out(reinterpret_cast<const char*>(data + start), int(pos - start));
        pos += pos < size ? 1 : 0;
        return out;
    }
    // Everything not read yet, in place: a read past it is a read past the fuzzer's buffer.
    const unsigned char* restBytes(int& n)
    {
        n = int(size - pos);
        pos = size;
        return data + size - n;
    }
    QByteArray rest()
    {
        int n = 0;
        const unsigned char* bytes = restBytes(n);
        return QByteArray(reinterpret_cast<const char*>(bytes), n);
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

#define FUZZ_CHECK(condition)                                                                      \
    ((condition)                                                                                   \
            ? void(0)                                                                              \
            : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition),  \
                std::abort()))
