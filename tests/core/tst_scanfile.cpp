// SPDX-License-Identifier: MIT
// A saved scan opened again: records of every read state, either layout and a later version's
// file come back as they were saved; a damaged file, one that is not a scan or one of a
// layout the reader does not know is refused with its reason and changes nothing.
#include "jsonexport.h"
#include "jsonimport.h"
#include "scanrecords.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

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

const char kSystemReason[] = "the reason the system gives";

} // namespace

class TestScanFile : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<ScanResult>("expected");
        const ScanResult gaps = scanWithGaps();
        QTest::newRow("every state") << exported(gaps) << gaps;
        ScanResult large = scanWithGaps(6, 0), undated = scanWithGaps(1);
        large.scannedAt = QDateTime(QDate(2025, 1, 31), QTime(23, 59, 59));
        undated.scannedAt = QDateTime();
        undated.displayOffsetRead = false;
        QTest::newRow("large layout, from 0, local time") << exported(large) << large;
        QTest::newRow("no date, display offset not read") << exported(undated) << undated;
        // A later version may add members anywhere; what this one needs is still there.
        QByteArray later = edited(exported(gaps), "formatVersion", 2);
        later = edited(later, "unit.serial", "A-1");
        later = edited(later, "presets.4.cabs.0.mic", "SM57");
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
    void roundTrip()
    {
        QFETCH(QByteArray, json);
        QFETCH(ScanResult, expected);
        ScanResult opened;
        QString reason;
        QVERIFY2(JsonImport::read(json, opened, reason), qPrintable(reason));
        QVERIFY(opened == expected);
        QCOMPARE(exported(opened), exported(expected));
    }

    void damaged_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("reason");
        const QByteArray good = exported(scanWithGaps());
        const auto row = [&good](const char* name, const char* path, const QJsonValue& value,
                             const QString& reason) {
            QTest::newRow(name) << edited(good, path, value) << reason;
        };
        const QString everyState = R"(expected "read", "not read" or "not reached")";
        const QString whole = "expected a whole number from ";
        QTest::newRow("an array") << QByteArray("[1, 2]")
                                  << "not a Tollmark scan: the document is not an object";
        row("no format", "format", QJsonValue::Undefined,
            R"(not a Tollmark scan: it has no "format")");
        row("other format", "format", "tollmark-bank",
            R"(not a Tollmark scan: its "format" is not "tollmark-scan")");
        row("version 0", "formatVersion", 0, "formatVersion: " + whole + "1 to 2147483647");
        QTest::newRow("unused slots only")
            << JsonExport(scanWithGaps()).unusedDocument({ 140, 141 }).toJson()
            << "the file lists only the unused cab slots, not a whole scan";
        row("unit missing", "unit", QJsonValue::Undefined, "unit: expected an object");
        row("model of the other layout", "unit.model", 6,
            "unit: 384 presets and 232 cabs is not a layout of model 6, which has 768 and 1203");
        row("layout unknown", "unit.cabCount", 300,
            "unit: 384 presets and 300 cabs is not a layout of model 3, which has 384 and 232");
        row("date unreadable", "unit.scanned", "yesterday",
            "unit.scanned: expected a date and time");
        QJsonArray presets = QJsonDocument::fromJson(good)["presets"].toArray();
        presets.removeLast();
        row("a preset short", "presets", presets, "presets: expected 384 entries, found 383");
        row("cabs not a list", "cabs", QJsonObject(), "cabs: expected an array");
        row("preset not an object", "presets.1", "x", "presets[1]: expected an object");
        row("index out of order", "presets.5.index", 6, "presets[5].index: expected 5");
        row("name state unknown", "presets.3.nameState", "half read",
            "presets[3].nameState: " + everyState);
        row("name of a read entry missing", "presets.0.name", QJsonValue::Undefined,
            "presets[0].name: expected a string");
        row("cab name a number", "cabs.4.name", 12, "cabs[4].name: expected a string");
        // Model 3 has 232 cabs; a negative number is what the unit gave and stays.
        row("cab number past the layout", "presets.0.cabs.0.number", 232,
            "presets[0].cabs[0].number: " + whole + "-32768 to 231");
        row("cab number a fraction", "presets.7.cabs.1.number", 1.5,
            "presets[7].cabs[1].number: " + whole + "-32768 to 231");
        row("cab given as a bare number", "presets.7.cabs.1", 4,
            "presets[7].cabs[1]: expected an object");
        row("too many cabs", "presets.0.cabs", QJsonArray { 0, 1, 2, 3, 4, 5, 6, 7, 8 },
            "presets[0].cabs: at most 8 entries, found 9");
        row("cab out of order", "cabs.3.number", 4, "cabs[3].number: expected 3");
        row("Y holding a cab the preset does not use", "presets.2.yCabs.0.number", 7,
            R"(presets[2].yCabs: cab 7 is not among the preset's "cabs")");
    }

    // Refused with its reason; the record shown before stays as it was.
    void damaged()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, reason);
        const ScanResult before = scanWithGaps(6, 0);
        ScanResult shown = before;
        QString why;
        QVERIFY(!JsonImport::read(json, shown, why));
        QVERIFY2(why.startsWith(reason), qPrintable(why));
        QVERIFY(shown == before);
    }

    void files_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("reason");
        // The system's own words, which differ between systems.
        QTest::newRow("missing") << "gone.json" << qint64(0) << QString(kSystemReason);
        // Sparse: refused before any of it is read.
        QTest::newRow("larger than any scan")
            << "huge.json" << JsonImport::kMaxFileSize + 1
            << QStringLiteral("%1 bytes is more than any scan takes")
                   .arg(JsonImport::kMaxFileSize + 1);
#ifdef Q_OS_UNIX
        // Opening a pipe with no writer would wait for one for good.
        QTest::newRow("a pipe") << "pipe.json" << qint64(-2) << QStringLiteral("not a plain file");
#endif
    }

    // A file that cannot be opened or is too large is refused; one that opens, the window's
    // and the scanner's tests open.
    void files()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (size == -2) {
#ifdef Q_OS_UNIX
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
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
        QVERIFY(!JsonImport::load(path, opened, why));
        QCOMPARE(why, reason);
        QVERIFY(opened == ScanResult());
    }
};

QTEST_GUILESS_MAIN(TestScanFile)
#include "tst_scanfile.moc"
