// Builds the Debian package from this build tree, unpacks it into a scratch root and checks
// what installing it gives a user: the files, the dependencies, the desktop entry, metainfo,
// icon and man pages, and an installed scanner that runs.
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

constexpr int kPackageTimeoutMs = 150000;
constexpr int kToolTimeoutMs = 20000;
constexpr int kLogTailBytes = 2000;

#ifdef TOLLMARK_HAS_WINDOW
constexpr bool kHasWindow = true;
#else
constexpr bool kHasWindow = false;
#endif
#ifdef TOLLMARK_HAS_SCANNER
constexpr bool kHasScanner = true;
#else
constexpr bool kHasScanner = false;
#endif

// Everything the package may ship, as paths below the root, each with whether this build
// must ship it. Anything else in the package is a mistake (a development tool, a library).
struct Shipped {
    const char* what;
    const char* pattern;
    bool expected;
};
const Shipped kShipped[] = {
    { "window", "usr/bin/tollmark", kHasWindow },
    { "window man page", "usr/share/man/man1/tollmark.1.gz", kHasWindow },
    { "scanner", "usr/bin/tollmark-scan", kHasScanner },
    { "scanner man page", "usr/share/man/man1/tollmark-scan.1.gz", kHasScanner },
    { "desktop entry", "usr/share/applications/*.desktop", true },
    { "metainfo", "usr/share/metainfo/*.metainfo.xml", true },
    { "icon", "usr/share/icons/hicolor/scalable/apps/*.svg", true },
};

const char* const kTools[] = { "dpkg-deb", "dpkg-query", "desktop-file-validate", "appstream-util",
    "groff", "gzip", "objdump", "ldd" };

struct Run {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString& program, const QStringList& arguments, int timeoutMs = kToolTimeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished)
        process.kill();
    process.waitForFinished();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString describe(const QString& program, const Run& result)
{
    return QStringLiteral("%1 (exit %2):\n%3%4")
        .arg(program)
        .arg(result.finished ? QString::number(result.exitCode) : QStringLiteral("timed out"))
        .arg(QString::fromLocal8Bit(result.out), QString::fromLocal8Bit(result.err));
}

bool matches(const QString& path, const QString& pattern)
{
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
        .match(path)
        .hasMatch();
}

// cpack names its logs but they go with the scratch directory, so a failure shows their ends.
QString cpackLogTails(const QString& out)
{
    QString tails;
    for (QDirIterator it(
             out, { QStringLiteral("*.log") }, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile log(it.next());
        if (log.open(QIODevice::ReadOnly | QIODevice::Text))
            tails += QStringLiteral("\n%1:\n%2")
                         .arg(log.fileName(),
                             QString::fromLocal8Bit(log.readAll().right(kLogTailBytes)));
    }
    return tails;
}

// Package names in a Depends field, without versions or alternatives' bars.
QSet<QString> dependencyNames(const QByteArray& depends)
{
    QSet<QString> names;
    const QStringList alternatives
        = QString::fromUtf8(depends).split(QRegularExpression(QStringLiteral("[,|]")));
    for (const QString& alternative : alternatives) {
        const QString name = alternative.section(QLatin1Char('('), 0, 0).trimmed();
        if (!name.isEmpty())
            names.insert(name.section(QLatin1Char(':'), 0, 0));
    }
    return names;
}

QStringList neededLibraries(const QString& binary)
{
    const Run dump = run(QStringLiteral("objdump"), { QStringLiteral("-p"), binary });
    QStringList needed;
    const QRegularExpression line(
        QStringLiteral("^\\s*NEEDED\\s+(\\S+)\\s*$"), QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromLocal8Bit(dump.out)); it.hasNext();)
        needed << it.next().captured(1);
    return needed;
}

// Where the dynamic loader finds each library the binary loads, by soname.
QHash<QString, QString> resolvedLibraries(const QString& binary)
{
    const Run ldd = run(QStringLiteral("ldd"), { binary });
    QHash<QString, QString> paths;
    const QRegularExpression line(
        QStringLiteral("^\\s*(\\S+) => (/\\S+)"), QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromLocal8Bit(ldd.out)); it.hasNext();) {
        const auto match = it.next();
        paths.insert(match.captured(1), match.captured(2));
    }
    return paths;
}

// With a merged /usr the loader's path to a library and the one its package lists can
// differ by the /usr prefix or by a symbolic link.
QStringList pathAliases(const QString& path)
{
    QStringList aliases { path, QFileInfo(path).canonicalFilePath() };
    for (const QString& alias : QStringList(aliases)) {
        if (alias.startsWith(QLatin1String("/usr/")))
            aliases << alias.mid(4);
        else
            aliases << QStringLiteral("/usr") + alias;
    }
    return aliases;
}

// The package that owns each of the given files, for those a package owns.
QHash<QString, QString> owningPackages(const QStringList& paths)
{
    const Run search
        = run(QStringLiteral("dpkg-query"), QStringList { QStringLiteral("-S") } + paths);
    QHash<QString, QString> owners;
    const QRegularExpression line(
        QStringLiteral("^([^\\s:,]+)[^ ]*: (/\\S+)$"), QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromLocal8Bit(search.out)); it.hasNext();) {
        const auto match = it.next();
        owners.insert(match.captured(2), match.captured(1));
    }
    return owners;
}

QHash<QString, QString> desktopEntry(const QString& path)
{
    QFile file(path);
    QHash<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.contains(QLatin1Char('=')))
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return keys;
}

struct Metainfo {
    QString id;
    QString launchable;
    QStringList binaries;
};

Metainfo readMetainfo(const QString& path)
{
    QFile file(path);
    Metainfo info;
    if (!file.open(QIODevice::ReadOnly))
        return info;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("id"))
            info.id = xml.readElementText().trimmed();
        else if (xml.name() == QLatin1String("launchable"))
            info.launchable = xml.readElementText().trimmed();
        else if (xml.name() == QLatin1String("binary"))
            info.binaries << xml.readElementText().trimmed();
    }
    return info;
}

} // namespace

class PackageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void shipsItsFiles_data();
    void shipsItsFiles();
    void shipsNothingElse();
    void dependsOnTheLibrariesItLinks();
    void desktopEntryValidates();
    void metainfoValidates();
    void desktopEntryMetainfoAndIconAgree();
    void iconIsScalableVector();
    void manPagesRender_data();
    void manPagesRender();
    void scannerRunsFromTheRoot();

private:
    QString installed(const char* pattern) const;
    QByteArray controlField(const QString& field) const;

    QTemporaryDir m_scratch;
    QString m_deb;
    QString m_root;
    QStringList m_files;
};

void PackageTest::initTestCase()
{
    QStringList missing;
    for (const char* tool : kTools) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            missing << QString::fromLatin1(tool);
    }
    QVERIFY2(missing.isEmpty(),
        qPrintable(QStringLiteral("missing tools (scripts/test installs them): ")
            + missing.join(QLatin1Char(' '))));
    QVERIFY(m_scratch.isValid());

    const QString out = m_scratch.filePath(QStringLiteral("out"));
    const Run cpack = run(QStringLiteral(TOLLMARK_CPACK),
        { QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
            QStringLiteral(TOLLMARK_CPACK_CONFIG), QStringLiteral("-B"), out },
        kPackageTimeoutMs);
    QVERIFY2(cpack.exitCode == 0,
        qPrintable(describe(QStringLiteral("cpack"), cpack) + cpackLogTails(out)));

    const QStringList debs = QDir(out).entryList({ QStringLiteral("*.deb") }, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = QDir(out).filePath(debs.first());

    m_root = m_scratch.filePath(QStringLiteral("root"));
    const Run extract = run(QStringLiteral("dpkg-deb"), { QStringLiteral("-x"), m_deb, m_root });
    QVERIFY2(extract.exitCode == 0, qPrintable(describe(QStringLiteral("dpkg-deb -x"), extract)));

    const QDir root(m_root);
    for (QDirIterator it(m_root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        m_files << root.relativeFilePath(it.next());
    m_files.sort();
}

QString PackageTest::installed(const char* pattern) const
{
    for (const QString& file : m_files) {
        if (matches(file, QString::fromLatin1(pattern)))
            return QDir(m_root).filePath(file);
    }
    return {};
}

QByteArray PackageTest::controlField(const QString& field) const
{
    return run(QStringLiteral("dpkg-deb"), { QStringLiteral("-f"), m_deb, field }).out.trimmed();
}

void PackageTest::shipsItsFiles_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("count");
    for (const Shipped& shipped : kShipped)
        QTest::newRow(shipped.what)
            << QString::fromLatin1(shipped.pattern) << (shipped.expected ? 1 : 0);
}

void PackageTest::shipsItsFiles()
{
    QFETCH(QString, pattern);
    QFETCH(int, count);
    const auto found = std::count_if(m_files.cbegin(), m_files.cend(),
        [&](const QString& file) { return matches(file, pattern); });
    QVERIFY2(found == count, qPrintable(m_files.join(QLatin1Char('\n'))));
}

void PackageTest::shipsNothingElse()
{
    QStringList strays;
    for (const QString& file : m_files) {
        const bool known
            = std::any_of(std::begin(kShipped), std::end(kShipped), [&](const Shipped& shipped) {
                  return matches(file, QString::fromLatin1(shipped.pattern));
              });
        if (!known)
            strays << file;
    }
    QVERIFY2(strays.isEmpty(), qPrintable(strays.join(QLatin1Char('\n'))));
}

void PackageTest::dependsOnTheLibrariesItLinks()
{
    QCOMPARE(controlField(QStringLiteral("Package")), QByteArray("tollmark"));
    QCOMPARE(controlField(QStringLiteral("Section")), QByteArray("sound"));
    QVERIFY(controlField(QStringLiteral("Maintainer")).contains('@'));

    const QStringList binaries = m_files.filter(QRegularExpression(QStringLiteral("^usr/bin/")));
    if (binaries.isEmpty())
        QSKIP("no program is built yet");
    const QSet<QString> depends = dependencyNames(controlField(QStringLiteral("Depends")));
    for (const QString& binary : binaries) {
        const QString path = QDir(m_root).filePath(binary);
        const QHash<QString, QString> resolved = resolvedLibraries(path);
        const QStringList needed = neededLibraries(path);
        QVERIFY2(!needed.isEmpty(), qPrintable(binary));
        QStringList aliases;
        for (const QString& soname : needed) {
            QVERIFY2(resolved.contains(soname), qPrintable(binary + QLatin1String(": ") + soname));
            aliases << pathAliases(resolved.value(soname));
        }
        const QHash<QString, QString> owners = owningPackages(aliases);
        for (const QString& soname : needed) {
            QString package;
            for (const QString& alias : pathAliases(resolved.value(soname)))
                package = owners.value(alias, package);
            QVERIFY2(!package.isEmpty(), qPrintable(resolved.value(soname)));
            QVERIFY2(depends.contains(package),
                qPrintable(QStringLiteral("%1 needs %2 from %3, not in Depends: %4")
                               .arg(binary, soname, package,
                                   QStringList(depends.values()).join(QLatin1Char(' ')))));
        }
    }
}

void PackageTest::desktopEntryValidates()
{
    const QString entry = installed("usr/share/applications/*.desktop");
    QVERIFY(!entry.isEmpty());
    const Run validate = run(QStringLiteral("desktop-file-validate"), { entry });
    QVERIFY2(validate.exitCode == 0 && validate.out.isEmpty() && validate.err.isEmpty(),
        qPrintable(describe(QStringLiteral("desktop-file-validate"), validate)));
}

void PackageTest::metainfoValidates()
{
    const QString metainfo = installed("usr/share/metainfo/*.metainfo.xml");
    QVERIFY(!metainfo.isEmpty());
    const Run validate = run(QStringLiteral("appstream-util"),
        { QStringLiteral("validate-relax"), QStringLiteral("--nonet"), metainfo });
    QVERIFY2(validate.exitCode == 0,
        qPrintable(describe(QStringLiteral("appstream-util validate-relax"), validate)));
}

// Software centres find the desktop entry through the metainfo id and the icon through the
// entry's Icon key; a file renamed without the others breaks the launcher silently.
void PackageTest::desktopEntryMetainfoAndIconAgree()
{
    const QFileInfo entryFile(installed("usr/share/applications/*.desktop"));
    const QFileInfo metainfoFile(installed("usr/share/metainfo/*.metainfo.xml"));
    const QFileInfo iconFile(installed("usr/share/icons/hicolor/scalable/apps/*.svg"));
    const QHash<QString, QString> entry = desktopEntry(entryFile.filePath());
    const Metainfo metainfo = readMetainfo(metainfoFile.filePath());

    QVERIFY(!metainfo.id.isEmpty());
    QCOMPARE(metainfoFile.fileName(), metainfo.id + QLatin1String(".metainfo.xml"));
    QCOMPARE(metainfo.launchable, entryFile.fileName());
    QCOMPARE(entryFile.completeBaseName(), metainfo.id);
    QCOMPARE(entry.value(QStringLiteral("Icon")), iconFile.completeBaseName());
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("tollmark"));
    QVERIFY(metainfo.binaries.contains(QStringLiteral("tollmark")));
    QVERIFY(metainfo.binaries.contains(QStringLiteral("tollmark-scan")));
    if (kHasWindow)
        QVERIFY(
            QFileInfo(QDir(m_root).filePath(QStringLiteral("usr/bin/tollmark"))).isExecutable());
}

void PackageTest::iconIsScalableVector()
{
    QFile icon(installed("usr/share/icons/hicolor/scalable/apps/*.svg"));
    QVERIFY(icon.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&icon);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
    QCOMPARE(xml.namespaceUri().toString(), QStringLiteral("http://www.w3.org/2000/svg"));
    const QStringList viewBox = xml.attributes()
                                    .value(QStringLiteral("viewBox"))
                                    .toString()
                                    .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QCOMPARE(viewBox.size(), 4);
    QCOMPARE(viewBox.at(2), viewBox.at(3));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            QVERIFY2(xml.name() != QLatin1String("image"), "the icon embeds a bitmap");
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

void PackageTest::manPagesRender_data()
{
    QTest::addColumn<QString>("page");
    for (const QString& file : m_files.filter(QRegularExpression(QStringLiteral("/man1/"))))
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << QDir(m_root).filePath(file);
    if (m_files.filter(QRegularExpression(QStringLiteral("/man1/"))).isEmpty())
        QTest::newRow("none") << QString();
}

void PackageTest::manPagesRender()
{
    QFETCH(QString, page);
    if (page.isEmpty())
        QSKIP("no program is built yet");
    const QString program = QFileInfo(page).fileName().section(QLatin1Char('.'), 0, 0);

    QProcess unpack;
    QProcess groff;
    unpack.setStandardOutputProcess(&groff);
    unpack.start(QStringLiteral("gzip"), { QStringLiteral("-dc"), page });
    groff.start(QStringLiteral("groff"),
        { QStringLiteral("-man"), QStringLiteral("-Tutf8"), QStringLiteral("-P-cbou"),
            QStringLiteral("-ww") });
    QVERIFY(unpack.waitForFinished(kToolTimeoutMs));
    QVERIFY(groff.waitForFinished(kToolTimeoutMs));
    QCOMPARE(unpack.exitCode(), 0);
    QCOMPARE(groff.exitCode(), 0);
    const QByteArray warnings = groff.readAllStandardError();
    QVERIFY2(warnings.isEmpty(), warnings.constData());
    const QString text = QString::fromUtf8(groff.readAllStandardOutput());
    for (const char* section : { "NAME", "SYNOPSIS", "DESCRIPTION", "SEE ALSO" })
        QVERIFY2(text.contains(QLatin1String(section)), section);
    QVERIFY(text.contains(program.toUpper()));
}

// The options the man page documents are the ones the program knows.
void PackageTest::scannerRunsFromTheRoot()
{
    if (!kHasScanner)
        QSKIP("tollmark-scan is not built yet");
    const QString scanner = QDir(m_root).filePath(QStringLiteral("usr/bin/tollmark-scan"));
    const Run help = run(scanner, { QStringLiteral("--help") });
    QVERIFY2(help.exitCode == 0 && !help.out.isEmpty(),
        qPrintable(describe(QStringLiteral("tollmark-scan --help"), help)));
    const QString helpText = QString::fromLocal8Bit(help.out);

    const Run page = run(QStringLiteral("gzip"),
        { QStringLiteral("-dc"), installed("usr/share/man/man1/tollmark-scan.1.gz") });
    const QString source
        = QString::fromUtf8(page.out).replace(QLatin1String("\\-"), QLatin1String("-"));
    const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*[a-z]"));
    QSet<QString> documented;
    for (auto it = option.globalMatch(source); it.hasNext();)
        documented.insert(it.next().captured());
    QVERIFY(documented.contains(QStringLiteral("--list-ports")));
    for (const QString& name : documented)
        QVERIFY2(helpText.contains(name), qPrintable(name + QLatin1String(" is not in --help")));
}

QTEST_GUILESS_MAIN(PackageTest)
#include "tst_package.moc"
