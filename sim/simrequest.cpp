// SPDX-License-Identifier: MIT
#include "simrequest.h"

#include "simframe.h"

namespace {

constexpr quint8 kDisplayOffsetPayload[] = { 0x7E, 0x05 };
constexpr quint8 kSelectXYTail = 0x01;
constexpr int kParamValuePadding = 4;

struct Layout {
    quint8 function;
    SimRequest::Kind kind;
    int length;
};

constexpr Layout kLayouts[] = {
    { SimRequest::kFnModel, SimRequest::ModelQuery, 8 },
    { SimRequest::kFnDisplayOffset, SimRequest::DisplayOffsetQuery, 10 },
    { SimRequest::kFnProgramChange, SimRequest::ProgramChange, 10 },
    { SimRequest::kFnBlockGrid, SimRequest::BlockGridQuery, 8 },
    { SimRequest::kFnSelectXY, SimRequest::SelectXY, 12 },
    { SimRequest::kFnParamValue, SimRequest::ParamValueQuery, 16 },
    { SimRequest::kFnCabName, SimRequest::CabNameQuery, 10 },
    { SimRequest::kFnPresetName, SimRequest::PresetNameQuery, 10 },
    { SimRequest::kFnParamInfo, SimRequest::ParamInfoQuery, 12 },
    { SimRequest::kFnParamStrings, SimRequest::ParamStringsQuery, 12 },
};

const Layout* layoutOf(quint8 function)
{
    for (const Layout& layout : kLayouts) {
        if (layout.function == function)
            return &layout;
    }
    return nullptr;
}

QString hexByte(quint8 b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

SimRequest rejected(SimRequest::Kind kind, const QString& problem)
{
    SimRequest r;
    r.kind = kind;
    r.problem = problem;
    return r;
}

SimRequest checkFrame(const QByteArray& bytes)
{
    const int n = bytes.size();
    if (n < 2 || SimFrame::byteAt(bytes, 0) != SimFrame::kSysExStart
        || SimFrame::byteAt(bytes, n - 1) != SimFrame::kSysExEnd)
        return rejected(SimRequest::NotSysEx, QStringLiteral("not a SysEx message"));
    if (!SimFrame::hasManufacturer(bytes))
        return rejected(SimRequest::Foreign, QStringLiteral("SysEx of another manufacturer"));
    for (int i = 1; i < n - 1; ++i) {
        if (SimFrame::byteAt(bytes, i) > 0x7F)
            return rejected(SimRequest::Malformed,
                QStringLiteral("byte %1 is %2, above 7F").arg(i).arg(hexByte(bytes.at(i))));
    }
    if (n < SimFrame::kMinFrameSize)
        return rejected(SimRequest::Malformed, QStringLiteral("%1 bytes, too short").arg(n));
    const quint8 sum = SimFrame::checksum(bytes, n - 2);
    if (SimFrame::byteAt(bytes, n - 2) != sum)
        return rejected(SimRequest::Malformed,
            QStringLiteral("checksum %1, expected %2").arg(hexByte(bytes.at(n - 2)), hexByte(sum)));
    SimRequest r;
    r.kind = SimRequest::Unknown;
    r.model = SimFrame::byteAt(bytes, 4);
    r.function = SimFrame::byteAt(bytes, 5);
    return r;
}

bool readPayload(const QByteArray& bytes, SimRequest& r)
{
    switch (r.kind) {
    case SimRequest::DisplayOffsetQuery:
        return SimFrame::byteAt(bytes, 6) == kDisplayOffsetPayload[0]
            && SimFrame::byteAt(bytes, 7) == kDisplayOffsetPayload[1];
    case SimRequest::ProgramChange:
    case SimRequest::PresetNameQuery:
        r.number = SimFrame::read14HighFirst(bytes, 6);
        return true;
    case SimRequest::CabNameQuery:
        r.number = SimFrame::read14(bytes, 6);
        return true;
    case SimRequest::SelectXY:
        r.block = quint16(SimFrame::read14(bytes, 6));
        r.y = SimFrame::byteAt(bytes, 8) == 1;
        return SimFrame::byteAt(bytes, 8) <= 1 && SimFrame::byteAt(bytes, 9) == kSelectXYTail;
    case SimRequest::ParamValueQuery:
        for (int i = 0; i < kParamValuePadding; ++i) {
            if (bytes.at(10 + i) != 0)
                return false;
        }
        Q_FALLTHROUGH();
    case SimRequest::ParamInfoQuery:
    case SimRequest::ParamStringsQuery:
        r.block = quint16(SimFrame::read14(bytes, 6));
        r.param = quint16(SimFrame::read14(bytes, 8));
        return true;
    default:
        return true;
    }
}

} // namespace

SimRequest SimRequest::parse(const QByteArray& bytes)
{
    SimRequest r = checkFrame(bytes);
    if (r.kind != Unknown)
        return r;
    const Layout* layout = layoutOf(r.function);
    if (!layout) {
        r.problem = QStringLiteral("unknown function %1").arg(hexByte(r.function));
        return r;
    }
    if (bytes.size() != layout->length) {
        return rejected(Malformed,
            QStringLiteral("function %1 takes %2 bytes, got %3")
                .arg(hexByte(r.function))
                .arg(layout->length)
                .arg(bytes.size()));
    }
    r.kind = layout->kind;
    if (!readPayload(bytes, r))
        return rejected(Malformed,
            QStringLiteral("function %1 with unexpected payload").arg(hexByte(r.function)));
    return r;
}

QString SimRequest::describe() const
{
    switch (kind) {
    case NotSysEx:
    case Foreign:
    case Malformed:
    case Unknown:
        return problem;
    case ModelQuery:
        return QStringLiteral("model query");
    case DisplayOffsetQuery:
        return QStringLiteral("display offset query");
    case ProgramChange:
        return QStringLiteral("program change to preset %1").arg(number);
    case BlockGridQuery:
        return QStringLiteral("block grid query");
    case SelectXY:
        return QStringLiteral("select %1 of block %2").arg(y ? "Y" : "X").arg(block);
    case ParamValueQuery:
        return QStringLiteral("value of block %1 parameter %2").arg(block).arg(param);
    case CabNameQuery:
        return QStringLiteral("name of cabinet %1").arg(number);
    case PresetNameQuery:
        return QStringLiteral("name of preset %1").arg(number);
    case ParamInfoQuery:
        return QStringLiteral("info of block %1 parameter %2").arg(block).arg(param);
    case ParamStringsQuery:
        return QStringLiteral("value texts of block %1 parameter %2").arg(block).arg(param);
    }
    return {};
}
