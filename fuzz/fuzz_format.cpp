// The format notation: setData and vSetData with a format text and arguments from the input.
// A variable argument list cannot be built at run time, and a wrong one is undefined
// behaviour of the harness, not of the code under test. So the harness reads the format's
// specifiers the way vSetData does (upper-cased, split at single blanks) and passes exactly
// one argument of the right type for each, through one of a fixed set of argument shapes:
// every sequence of int and string arguments up to kMaxSpecifiers long.
#include "fuzzinput.h"

#include <qrtmididata.h>

#include <QStringList>

#include <cstdarg>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxSpecifiers = 6;
// A string argument with this length byte is a null pointer.
constexpr std::uint8_t kNullString = 0xFF;

enum class Arg { Int, String };

std::vector<Arg> argumentShape(const char* format, bool& tooMany)
{
    std::vector<Arg> shape;
    const QStringList items = QString::fromUtf8(format).toUpper().split(QLatin1Char(' '));
    for (const QString& item : items) {
        if (item == QLatin1String("VV") || item == QLatin1String("P14"))
            shape.push_back(Arg::Int);
        else if (item == QLatin1String("MSTR") || item == QLatin1String("CSTR"))
            shape.push_back(Arg::String);
    }
    tooMany = shape.size() > std::size_t(kMaxSpecifiers);
    return shape;
}

// Owns the texts behind the string arguments until the call is over.
struct Arguments {
    FuzzInput& input;
    std::vector<QByteArray> texts;

    int nextInt() { return input.int32(); }
    const char* nextString()
    {
        if (input.byte() == kNullString)
            return nullptr;
        texts.push_back(input.text());
        return texts.back().constData();
    }
};

void appendFormat(QRtMidiData& data, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    data.vSetData(format, args);
    va_end(args);
}

struct Call {
    QRtMidiData& data;
    const char* format;
    bool append;

    template <typename... Values> void operator()(Values... values) const
    {
        if (append)
            appendFormat(data, format, values...);
        else
            data.setData(format, values...);
    }
};

// Adds the arguments of shape[i..] one at a time, each of its own type, then calls.
template <typename... Values>
void callWithShape(const Call& call, const std::vector<Arg>& shape, std::size_t i, Arguments& args,
    Values... values)
{
    if constexpr (sizeof...(Values) >= kMaxSpecifiers) {
        call(values...);
    } else {
        if (i == shape.size())
            call(values...);
        else if (shape[i] == Arg::Int)
            callWithShape(call, shape, i + 1, args, values..., args.nextInt());
        else
            callWithShape(call, shape, i + 1, args, values..., args.nextString());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const bool append = input.flag();
    const QByteArray format = input.text();
    bool tooMany = false;
    const std::vector<Arg> shape = argumentShape(format.constData(), tooMany);
    if (tooMany)
        return -1;

    const QRtMidiData start(input.chunk());
    QRtMidiData data = start;
    Arguments args { input, {} };
    callWithShape(Call { data, format.constData(), append }, shape, 0, args);

    // vSetData only appends; setData starts from nothing.
    if (append)
        FUZZ_CHECK(data.toByteArray().startsWith(start.toByteArray()));
    return 0;
}
