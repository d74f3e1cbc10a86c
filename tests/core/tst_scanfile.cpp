// SPDX-License-Identifier: MIT
// A saved scan opened again: records of every read state, either layout and a later version's
// file come back as they were saved; a damaged file, one that is not a scan or one of a
// layout the reader does not know is refused with its reason and changes nothing.
#include "jsonexport.h"
#include "jsonimport.h"
#include "scanresult.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// Every name and usage read. User slots from the fourth on are empty; preset p uses two
// cabinets spread over the range, and every fifth one also the number -1, which the unit's
// signed parameter can hold.
ScanResult fullScan(quint8 model, quint8 offset, const QDateTime& scannedAt)
{
    ScanResult result(model, offset);
    result.scannedAt = scannedAt;
    const int factory = result.factoryCabCount();
    for (int cab = 0; cab < result.cabCount(); ++cab) {
        result.cabNames[cab] = cab < factory + 3 ? QStringLiteral("Cab %1").arg(cab) : QString();
        result.cabNameStates[cab] = ReadState::Read;
    }
    for (int preset = 0; preset < result.presetCount(); ++preset) {
        result.presetNames[preset] = QStringLiteral("Preset \"%1\"").arg(preset);
        result.presetNameStates[preset] = ReadState::Read;
        QList<int> cabs { preset % result.cabCount(), (preset * 7 + 3) % result.cabCount() };
        if (preset % 5 == 0)
            cabs.append(-1);
        result.setUsage(preset, cabs, ReadState::Read);
    }
    result.indexCabs();
    return result;
}

// Names and usages in every state: a scan that lost a few answers and stopped at preset 200.
ScanResult withGaps()
{
    ScanResult result = fullScan(3, 0, QDateTime(QDate(2026, 12, 8), QTime(6, 55, 5), Qt::UTC));
    result.presetNameStates[1] = ReadState::NotRead;
    result.presetNames[1].clear();
    result.cabNameStates[1] = ReadState::NotRead;
    result.cabNames[1].clear();
    result.setUsage(2, { 7 }, ReadState::NotRead);
    for (int preset = 200; preset < result.presetCount(); ++preset) {
        result.presetNameStates[preset] = ReadState::NotReached;
        result.presetNames[preset].clear();
        result.setUsage(preset, {}, ReadState::NotReached);
    }
    result.indexCabs();
    return result;
}

QByteArray exported(const ScanResult& result)
{
    return JsonExport(result).document().toJson();
}

// The document with the value at path (member names and array indexes) replaced, or removed
// when value is undefined.
QJsonValue replaced(const QJsonValue& at, QStringList path, const QJsonValue& value)
{
    const QString step = path.takeFirst();
    bool isIndex = false;
    const int index = step.toInt(&isIndex);
    if (isIndex) {
        QJsonArray array = at.toArray();
        array[index] = path.isEmpty() ? value : replaced(array.at(index), path, value);
        return array;
    }
    QJsonObject object = at.toObject();
    if (path.isEmpty() && value.isUndefined())
        object.remove(step);
    else
        object[step] = path.isEmpty() ? value : replaced(object.value(step), path, value);
    return object;
}

QByteArray edited(const QByteArray& json, const QString& path, const QJsonValue& value)
{
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    return QJsonDocument(replaced(root, path.split('.'), value).toObject()).toJson();
}

QJsonArray cabRefs(int count)
{
    QJsonArray refs;
    for (int i = 0; i < count; ++i)
        refs.append(QJsonObject { { "number", i } });
    return refs;
}

} // namespace

class TestScanFile : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void damaged_data();
    void damaged();
    void files_data();
    void files();
};

void TestScanFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<ScanResult>("expected");
    const ScanResult gaps = withGaps();
    QTest::newRow("every state") << exported(gaps) << gaps;
    const ScanResult large = fullScan(6, 1, QDateTime(QDate(2025, 1, 31), QTime(23, 59, 59)));
    QTest::newRow("large layout, from 1, local time") << exported(large) << large;
    ScanResult undated = fullScan(1, 0, QDateTime());
    undated.displayOffsetRead = false;
    QTest::newRow("no date, display offset not read") << exported(undated) << undated;
    // A later version may add members anywhere; what this one needs is still there.
    QByteArray later = edited(exported(gaps), "formatVersion", 2);
    later = edited(later, "scanners", QJsonArray { "next" });
    later = edited(later, "unit.serial", "A-1");
    later = edited(later, "presets.4.scene", 3);
    later = edited(later, "presets.4.cabs.0.mic", "SM57");
    later = edited(later, "cabs.7.size", "4x12");
    QTest::newRow("later version, members unknown") << later << gaps;
    // The file keeps whole seconds; a record opened saves as the same file again.
    QTest::newRow("date to the millisecond")
        << edited(exported(gaps), "unit.scanned", "2026-12-08T06:55:05.250Z") << gaps;
    // What is derived from the rest is not read back: the reader rebuilds it.
    QByteArray derived = edited(exported(gaps), "unit.complete", true);
    derived = edited(derived, "cabs.0.presets", QJsonArray());
    derived = edited(derived, "presets.0.cabs.0.label", "F99(elsewhere)");
    QTest::newRow("derived members ignored") << derived << gaps;
}

// Opened, the record is the one saved, and writes out byte for byte as before.
void TestScanFile::roundTrip()
{
    QFETCH(QByteArray, json);
    QFETCH(ScanResult, expected);
    ScanResult opened;
    QString reason;
    QVERIFY2(JsonImport::read(json, opened, reason), qPrintable(reason));
    QVERIFY(opened == expected);
    QCOMPARE(exported(opened), exported(expected));
}

void TestScanFile::damaged_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("reason");
    const QByteArray good = exported(withGaps());
    const QString everyState = R"(expected "read", "not read" or "not reached")";
    QTest::newRow("truncated") << good.left(good.size() / 2) << "not a JSON document: ";
    QTest::newRow("an array") << QByteArray("[1, 2]")
                              << "not a Tollmark scan: the document is not an object";
    QTest::newRow("no format") << edited(good, "format", QJsonValue::Undefined)
                               << R"(not a Tollmark scan: it has no "format")";
    QTest::newRow("other format") << edited(good, "format", "tollmark-bank")
                                  << R"(not a Tollmark scan: its "format" is not "tollmark-scan")";
    QTest::newRow("version 0") << edited(good, "formatVersion", 0)
                               << "formatVersion: expected a whole number from 1 to 2147483647";
    QTest::newRow("unused slots only")
        << JsonExport(withGaps()).unusedDocument({ 140, 141 }).toJson()
        << "the file lists only the unused cab slots, not a whole scan";
    QTest::newRow("unit missing") << edited(good, "unit", QJsonValue::Undefined)
                                  << "unit: expected an object";
    QTest::newRow("model of the other layout") << edited(good, "unit.model",
        6) << "unit: 384 presets and 232 cabs is not a layout of model 6, which has 768 and 1203";
    QTest::newRow("layout unknown") << edited(good, "unit.cabCount", 300)
                                    << "unit: 384 presets and 300 cabs is not a layout of model 3, "
                                       "which has 384 and 232";
    QTest::newRow("model 0") << edited(good, "unit.model", 0)
                             << "unit.model: expected a whole number from 1 to 127";
    QTest::newRow("offset not a byte") << edited(good, "unit.displayOffset",
        128) << "unit.displayOffset: expected a whole number from 0 to 127";
    QTest::newRow("no preset count") << edited(good, "unit.presetCount",
        QJsonValue::Undefined) << "unit.presetCount: expected a whole number from 0 to 2147483647";
    QTest::newRow("date unreadable")
        << edited(good, "unit.scanned", "yesterday") << "unit.scanned: expected a date and time";
    QJsonArray presets = QJsonDocument::fromJson(good)["presets"].toArray();
    presets.removeLast();
    QTest::newRow("a preset short")
        << edited(good, "presets", presets) << "presets: expected 384 entries, found 383";
    QTest::newRow("cabs not a list")
        << edited(good, "cabs", QJsonObject()) << "cabs: expected an array";
    QTest::newRow("preset not an object")
        << edited(good, "presets.1", "x") << "presets[1]: expected an object";
    QTest::newRow("index out of order")
        << edited(good, "presets.5.index", 6) << "presets[5].index: expected 5";
    QTest::newRow("index negative")
        << edited(good, "presets.0.index", -1) << "presets[0].index: expected 0";
    QTest::newRow("name state unknown") << edited(good, "presets.3.nameState", "half read")
                                        << "presets[3].nameState: " + everyState;
    QTest::newRow("cabs state missing") << edited(good, "presets.2.cabsState",
        QJsonValue::Undefined) << "presets[2].cabsState: " + everyState;
    QTest::newRow("name of a read entry missing") << edited(good, "presets.0.name",
        QJsonValue::Undefined) << "presets[0].name: expected a string";
    QTest::newRow("cab name a number")
        << edited(good, "cabs.4.name", 12) << "cabs[4].name: expected a string";
    // Model 3 has 232 cabs; a negative number is what the unit gave and stays.
    QTest::newRow("cab number past the layout") << edited(good, "presets.0.cabs.0.number",
        232) << "presets[0].cabs[0].number: expected a whole number from -32768 to 231";
    QTest::newRow("cab number a fraction") << edited(good, "presets.7.cabs.1.number",
        1.5) << "presets[7].cabs[1].number: expected a whole number from -32768 to 231";
    QTest::newRow("cab given as a bare number")
        << edited(good, "presets.7.cabs.1", 4) << "presets[7].cabs[1]: expected an object";
    QTest::newRow("too many cabs") << edited(good, "presets.0.cabs", cabRefs(9))
                                   << "presets[0].cabs: at most 8 entries, found 9";
    QTest::newRow("cab out of order")
        << edited(good, "cabs.3.number", 4) << "cabs[3].number: expected 3";
}

// Refused with its reason; the record shown before stays as it was.
void TestScanFile::damaged()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, reason);
    const ScanResult before = fullScan(6, 1, QDateTime());
    ScanResult shown = before;
    QString why;
    QVERIFY(!JsonImport::read(json, shown, why));
    QVERIFY2(why.startsWith(reason), qPrintable(why));
    QVERIFY(shown == before);
}

static const char kSystemReason[] = "the reason the system gives";

void TestScanFile::files_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("reason");
    QTest::newRow("saved") << "scan.json" << qint64(-1) << QString();
    // The system's own words, which differ between systems.
    QTest::newRow("missing") << "gone.json" << qint64(0) << QString(kSystemReason);
    // Sparse: refused before any of it is read.
    QTest::newRow("larger than any scan")
        << "huge.json" << JsonImport::kMaxFileSize + 1
        << QStringLiteral("%1 bytes is more than any scan takes").arg(JsonImport::kMaxFileSize + 1);
#ifdef Q_OS_UNIX
    // Opening a pipe with no writer would wait for one for good.
    QTest::newRow("a pipe") << "pipe.json" << qint64(-2) << QStringLiteral("not a plain file");
#endif
}

// A file saved whole opens; a file that cannot be opened or is too large is refused.
void TestScanFile::files()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QString, reason);
    const ScanResult saved = withGaps();
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (size == -2) {
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    } else if (size < 0) {
        QVERIFY(JsonExport(saved).save(path));
    } else if (size > 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
    }
    if (reason == kSystemReason) {
        QFile file(path);
        QVERIFY(!file.open(QIODevice::ReadOnly));
        reason = file.errorString();
    }
    ScanResult opened;
    QString why;
    QCOMPARE(JsonImport::load(path, opened, why), reason.isEmpty());
    QCOMPARE(why, reason);
    QVERIFY(opened == (reason.isEmpty() ? saved : ScanResult()));
}

QTEST_GUILESS_MAIN(TestScanFile)
#include "tst_scanfile.moc"
