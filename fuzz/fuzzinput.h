// What every fuzz target shares: reading typed values off the fuzzer's bytes, a check that
// aborts (so that libFuzzer and the regression runner both count a broken promise as a
// finding), and quiet Qt diagnostics.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// The readers log every piece of invalid text, which is most of what a fuzzer feeds them; the
// message is still built, only not printed. TOLLMARK_FUZZ_VERBOSE=1 prints it.
inline void discardQtMessage(QtMsgType, const QMessageLogContext&, const QString&) { }

inline bool silenceQtMessages()
{
    if (!qEnvironmentVariableIsSet("TOLLMARK_FUZZ_VERBOSE"))
        qInstallMessageHandler(discardQtMessage);
    return true;
}

// Takes values from the front of the input; once it is used up every value reads as zero, so
// a target never rejects an input for being short.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : data(data)
        , size(size)
    {
        static const bool quiet = silenceQtMessages();
        Q_UNUSED(quiet);
    }

    std::uint8_t byte() { return pos < size ? data[pos++] : 0; }
    bool flag() { return byte() & 1; }

    std::int32_t int32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(byte()) << (8 * i);
        return std::int32_t(v);
    }

    // The bytes up to the next 00 (which is consumed) or to the end.
    QByteArray text()
    {
        const std::size_t start = pos;
        while (pos < size && data[pos] != 0)
            ++pos;
        const QByteArray out(reinterpret_cast<const char*>(data + start), int(pos - start));
        if (pos < size)
            ++pos;
        return out;
    }

    // Everything not read yet, in place: a read past it is a read past the fuzzer's buffer,
    // which AddressSanitizer reports (a QByteArray copy would hide one byte behind its 00).
    const unsigned char* restBytes(int& n)
    {
        const unsigned char* out = data + pos;
        n = int(size - pos);
        pos = size;
        return out;
    }

    // Everything not read yet.
    QByteArray rest()
    {
        const QByteArray out(reinterpret_cast<const char*>(data + pos), int(size - pos));
        pos = size;
        return out;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

[[noreturn]] inline void fuzzCheckFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void(0) : fuzzCheckFailed(#condition, __FILE__, __LINE__))
