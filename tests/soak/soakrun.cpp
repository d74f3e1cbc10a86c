#include "soakrun.h"

#include "bankcatalogue.h"
#include "savedialog.h"

#include <axefxsim.h>
#include <crossreference.h>
#include <csvexport.h>
#include <mainwindow.h>
#include <simdevice.h>
#include <simframe.h>
#include <simrequest.h>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLocale>
#include <QTableWidget>
#include <QTest>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr quint8 kModel = 3;
constexpr int kStepMs = 5;
// Building and showing the window and opening its ports, in a sanitizer build.
constexpr int kStartUpBudgetMs = 1500;
// The model query and the display offset query: the unit has been found.
constexpr int kDiscoveryRequests = 2;
// What one answered round trip may take in a sanitizer build on a busy machine.
constexpr int kRoundTripBudgetMs = 20;
// An unanswered request costs one second of silence.
constexpr int kSilenceMs = 1000;
// The user waits out this many silences after the ports closed before hitting Esc.
constexpr int kSilencesBeforeEsc = 2;
// A preset's transaction at most: program change, grid, and both blocks' X and Y parameters.
constexpr int kRequestsPerPreset = 16;

QElapsedTimer& runClock()
{
    static QElapsedTimer c;
    return c;
}

QString fileText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QTextStream(&file).readAll();
}

// The name the program reads from a reply cut short: none when the cut shows (too short
// for the number and a text, or a checksum that fails), else the text the cut still holds.
QString nameInCut(const SimAnswer& answer)
{
    constexpr int kTextOffset = 8;
    const QByteArray cut = answer.replies.value(0);
    const int n = cut.size();
    if (n < kTextOffset + 2 || SimFrame::byteAt(cut, n - 2) != SimFrame::checksum(cut, n - 2))
        return QString();
    const QByteArray text = cut.mid(kTextOffset, n - 2 - kTextOffset);
    const int end = text.indexOf('\0');
    return QString::fromLatin1(end < 0 ? text : text.left(end)).simplified();
}

SimRequest nameQuery(quint8 function, int number)
{
    QByteArray payload;
    if (function == SimRequest::kFnCabName)
        SimFrame::append14(payload, number);
    else
        SimFrame::append14HighFirst(payload, number);
    return SimRequest::parse(SimFrame::build(kModel, function, payload));
}

// The names as the program reads them from what the unit sends. A cabinet name is stored
// under the number its reply gives, so a unit that echoes numbers off by offset shifts every
// name by as much; the first offset names are never read. A name reply cut short leaves its
// entry empty, unless its checksum holds by chance (one cut in 128), which no reader can
// tell from a whole reply.
SimBank namesAsRead(SimBank bank, const SimFaults& faults)
{
    const SimBank sent = bank;
    const int offset = faults.echoCabOffset;
    const int cabs = sent.cabNames.size();
    for (int c = 0; c < cabs; ++c)
        bank.cabNames[c]
            = c - offset >= 0 && c - offset < cabs ? sent.cabNames.at(c - offset) : QString();
    SimDevice device(sent);
    if (faults.truncated.contains(SimRequest::kFnCabName)) {
        for (int c = 0; c + offset < cabs; ++c)
            bank.cabNames[c + offset]
                = nameInCut(device.answer(nameQuery(SimRequest::kFnCabName, c), faults));
    }
    if (faults.truncated.contains(SimRequest::kFnPresetName)) {
        for (int p = 0; p < bank.presets.size(); ++p)
            bank.presets[p].name
                = nameInCut(device.answer(nameQuery(SimRequest::kFnPresetName, p), faults));
    }
    return bank;
}

} // namespace

SoakRun::SoakRun(const SoakCase& soakCase, const QString& csvPath)
    : soakCase(soakCase)
    , csvPath(csvPath)
    , sim(new AxeFxSim(SimBank::builtIn(kModel), this))
{
    QFile::remove(csvPath);
}

SoakRun::~SoakRun()
{
    sim->stop();
}

SoakResult SoakRun::run()
{
    SoakResult result;
    if (!soakCase.afterDiscovery)
        sim->setFaults(soakCase.faults);
    QString error;
    if (!sim->start(&error))
        qFatal("cannot open the simulated unit's ports: %s", qPrintable(error));

    QTimer driver;
    connect(&driver, &QTimer::timeout, this, &SoakRun::step);
    driver.start(kStepMs);
    runClock().start();

    // The program's own start-up: the constructor finds the unit and scans it at once.
    MainWindow* window = new MainWindow;
    if (soakCase.action == SoakAction::RefreshAfterReturn)
        refreshAgain(window);
    const qint64 endMs = runClock().elapsed();

    result.csvWritten = QFile::exists(csvPath);
    const int rows = window->findChild<QTableWidget*>(QStringLiteral("tableWidget"))->rowCount();
    result.end = result.csvWritten ? SoakEnd::Finished
        : rows == 0                ? SoakEnd::NoDevice
                                   : SoakEnd::Aborted;

    // A close request ends a scan first; once none runs it closes the window.
    window->close();
    delete window;
    driver.stop();

    result.requests = sim->requestCount();
    result.unanswered = countUnanswered();
    const int unanswered = qMax(result.unanswered, 0);
    if (actionAtMs >= 0 && soakCase.action != SoakAction::RefreshAfterReturn) {
        result.elapsedMs = endMs - actionAtMs;
        result.allowedMs = kSilenceMs + kRequestsPerPreset * kRoundTripBudgetMs;
    } else {
        result.elapsedMs = endMs;
        result.allowedMs = kStartUpBudgetMs
            + qint64(result.requests) * (kRoundTripBudgetMs + soakCase.faults.delayMs)
            + qint64(unanswered) * kSilenceMs;
    }
    judgeFile(result);
    return result;
}

MainWindow* SoakRun::window() const
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (MainWindow* m = qobject_cast<MainWindow*>(w))
            return m;
    }
    return nullptr;
}

void SoakRun::step()
{
    if (soakCase.afterDiscovery && !faultsApplied && sim->requestCount() >= kDiscoveryRequests) {
        sim->setFaults(soakCase.faults);
        faultsApplied = true;
    }
    acceptSaveDialog();
    playAction();
}

// The save dialog a complete scan opens: the user names the soak's file and saves.
void SoakRun::acceptSaveDialog()
{
    if (QFileDialog* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
        acceptFileName(*dialog, csvPath);
}

void SoakRun::playAction()
{
    MainWindow* w = window();
    if (!w || actionAtMs >= 0)
        return;
    switch (soakCase.action) {
    case SoakAction::None:
        return;
    case SoakAction::EscInUsage:
    case SoakAction::CloseInUsage:
        if (sim->requestCount() < requestsBeforeUsage() + kRequestsPerPreset * 10)
            return;
        actionAtMs = runClock().elapsed();
        if (soakCase.action == SoakAction::EscInUsage)
            QTest::keyClick(w, Qt::Key_Escape);
        else
            w->close();
        return;
    case SoakAction::EscAfterPortsClose:
    case SoakAction::RefreshAfterReturn:
        if (portsClosedAtMs < 0) {
            if (!sim->isRunning())
                portsClosedAtMs = runClock().elapsed();
            return;
        }
        if (runClock().elapsed() - portsClosedAtMs < kSilencesBeforeEsc * kSilenceMs)
            return;
        actionAtMs = runClock().elapsed();
        QTest::keyClick(w, Qt::Key_Escape);
        return;
    }
}

// The unit is back on its ports, behaving, and the user chooses "Refresh".
void SoakRun::refreshAgain(MainWindow* window)
{
    sim->setFaults(SimFaults());
    QString error;
    if (!sim->start(&error))
        qFatal("cannot reopen the simulated unit's ports: %s", qPrintable(error));
    window->findChild<QAction*>(QStringLiteral("actionRefresh"))->trigger();
}

// The replies a faultless unit would have sent to the same requests, less those it sent,
// and the replies cut so short that they lost their header: to the program those are noise.
int SoakRun::countUnanswered() const
{
    if (soakCase.faults.tempoMs > 0 || soakCase.faults.noiseMs > 0)
        return -1;
    SimDevice device(SimBank::builtIn(kModel));
    SimDevice cutting(SimBank::builtIn(kModel));
    int expected = 0;
    int headless = 0;
    for (const QByteArray& request : sim->requests()) {
        const SimRequest parsed = SimRequest::parse(request);
        const SimAnswer answer = device.answer(parsed);
        expected += answer.replies.size() + answer.notices.size();
        if (!soakCase.faults.truncated.contains(parsed.function))
            continue;
        const QByteArray header = SimFrame::header(kModel, parsed.function);
        for (const QByteArray& cut : cutting.answer(parsed, soakCase.faults).replies)
            headless += cut.startsWith(header) ? 0 : 1;
    }
    return qMax(expected - sim->sentCount(), 0) + headless;
}

// The file against what the bank implies, in the view the window starts with.
void SoakRun::judgeFile(SoakResult& result) const
{
    if (!result.csvWritten)
        return;
    const SimBank bank = SimBank::builtIn(kModel);
    const BankCatalogue names(namesAsRead(bank, soakCase.faults));
    UsageLists presetCabs, cabPresets;
    CrossReference::startScan(presetCabs, cabPresets, bank.presetCount(), bank.cabCount());
    for (int p = 0; p < bank.presetCount(); ++p)
        CrossReference::addPreset(presetCabs, cabPresets, p, bank.expectedCabs(p));
    const CrossReference::View view = CrossReference::PresetCabs;
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    QString expected;
    QTextStream out(&expected);
    CsvExport::write(out, view,
        CrossReference(names, presetCabs, cabPresets).rows(view, CrossReference::Full), separator);
    out.flush();
    result.difference = compareCsv(fileText(csvPath), expected, separator);
}
