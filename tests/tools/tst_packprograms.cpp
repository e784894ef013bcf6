#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <zip.h>

namespace {
struct Run {
    int exitCode;
    QString err;
};

Run run(const QString &program, const QStringList &args, const QString &workingDirectory = QString()) {
    QProcess p;
    if (!workingDirectory.isEmpty())
        p.setWorkingDirectory(workingDirectory);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return {-1, QStringLiteral("timeout")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
}

Run pkzip(const QStringList &args) {
    return run(QStringLiteral(PKZIP_BINARY), args);
}
Run pkunzip(const QStringList &args, const QString &workingDirectory) {
    return run(QStringLiteral(PKUNZIP_BINARY), args, workingDirectory);
}

void writeFile(const QString &path, const QByteArray &data) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(data), data.size());
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Everything in a directory, hidden files and links included.
QStringList entries(const QString &dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

enum class Kind { File, Symlink, Fifo, Encrypted };

struct Member {
    QByteArray name;
    QByteArray data;
    Kind kind = Kind::File;
};

bool setKind(zip_t *za, zip_uint64_t index, Kind kind) {
    const auto unixType = [&](mode_t type) {
        return zip_file_set_external_attributes(za, index, 0, ZIP_OPSYS_UNIX,
                                                static_cast<zip_uint32_t>(type | 0644) << 16) == 0;
    };
    switch (kind) {
    case Kind::File:
        return true;
    case Kind::Symlink:
        return unixType(S_IFLNK);
    case Kind::Fifo:
        return unixType(S_IFIFO);
    case Kind::Encrypted:
        return zip_file_set_encryption(za, index, ZIP_EM_AES_256, "geheim") == 0;
    }
    return false;
}

// Builds archives no honest packer makes: names are stored as given.
bool makeArchive(const QString &path, const QList<Member> &members) {
    int error = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return false;
    for (const Member &m : members) {
        zip_source_t *src = zip_source_buffer(za, m.data.constData(), static_cast<zip_uint64_t>(m.data.size()), 0);
        const zip_int64_t index = src ? zip_file_add(za, m.name.constData(), src, ZIP_FL_ENC_RAW) : -1;
        if (index < 0 || zip_set_file_compression(za, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0 ||
            !setKind(za, static_cast<zip_uint64_t>(index), m.kind)) {
            if (src && index < 0)
                zip_source_free(src);
            zip_discard(za);
            return false;
        }
    }
    return zip_close(za) == 0;
}
} // namespace

class TestPackPrograms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip();
    void packingReplacesArchive();
    void foreignArchiveWithDirectories();
    void unsafeEntriesRefused_data();
    void unsafeEntriesRefused();
    void linkInTargetNotFollowed();
    void damagedArchivesRefused_data();
    void damagedArchivesRefused();
    void packingErrors_data();
    void packingErrors();
    void unpackUsage();
};

void TestPackPrograms::roundTrip() {
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath("a") && QDir(tmp.path()).mkpath("b") && QDir(tmp.path()).mkpath("out"));
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(static_cast<char>((i * 7919) % 256));
    const QString umlauts = QStringLiteral("Übersicht Läufe ä ß.txt");
    writeFile(tmp.filePath("a/TR.DB"), binary);
    writeFile(tmp.filePath("b/" + umlauts), QStringLiteral("Grüße\n").toUtf8());
    writeFile(tmp.filePath("b/leer.db"), QByteArray());
    const QDateTime written(QDate(2024, 5, 17), QTime(18, 30, 10));
    {
        QFile f(tmp.filePath("a/TR.DB"));
        QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(written, QFileDevice::FileModificationTime));
    }

    const QString archive = tmp.filePath("TRDATEN.ZIP");
    const Run packed =
        pkzip({archive, tmp.filePath("a/TR.DB"), tmp.filePath("b/" + umlauts), tmp.filePath("b/leer.db")});
    QCOMPARE(packed.err, QString());
    QCOMPARE(packed.exitCode, 0);

    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    QVERIFY2(!unzip.isEmpty(), "Info-ZIP unzip is missing (scripts/install-deps installs it)");
    const Run tested = run(unzip, {QStringLiteral("-t"), archive});
    QVERIFY2(tested.exitCode == 0, qPrintable(tested.err));
    QProcess list;
    list.start(unzip, {QStringLiteral("-Z1"), archive});
    QVERIFY(list.waitForFinished(60000));
    QStringList names = QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    names.sort();
    const QStringList expected{QStringLiteral("TR.DB"), QStringLiteral("leer.db"), umlauts};
    QCOMPARE(names, expected); // flat: no directories in the names

    const QString out = tmp.filePath("out");
    const Run unpacked = pkunzip({archive}, out);
    QCOMPARE(unpacked.err, QString());
    QCOMPARE(unpacked.exitCode, 0);
    QCOMPARE(entries(out), expected);
    QCOMPARE(readAll(out + "/TR.DB"), binary);
    QCOMPARE(readAll(out + "/" + umlauts), QStringLiteral("Grüße\n").toUtf8());
    QCOMPARE(QFileInfo(out + "/leer.db").size(), 0);
    // The entries keep their time (the archive stores it to two seconds).
    QVERIFY(qAbs(QFileInfo(out + "/TR.DB").lastModified().secsTo(written)) <= 2);

    // Unpacking again over the same files replaces them.
    writeFile(out + "/TR.DB", "alt");
    QCOMPARE(pkunzip({archive}, out).exitCode, 0);
    QCOMPARE(readAll(out + "/TR.DB"), binary);
    QCOMPARE(entries(out), expected);
}

void TestPackPrograms::packingReplacesArchive() {
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath("out"));
    writeFile(tmp.filePath("eins.db"), "1");
    writeFile(tmp.filePath("zwei.db"), "2");
    const QString archive = tmp.filePath("a.zip");
    QCOMPARE(pkzip({archive, tmp.filePath("eins.db")}).exitCode, 0);
    QCOMPARE(pkzip({archive, tmp.filePath("zwei.db")}).exitCode, 0);
    QCOMPARE(pkunzip({archive}, tmp.filePath("out")).exitCode, 0);
    QCOMPARE(entries(tmp.filePath("out")), QStringList{"zwei.db"});
}

void TestPackPrograms::foreignArchiveWithDirectories() {
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath("work"));
    const QString archive = tmp.filePath("a.zip");
    // Directory entries, nested names and the backslashes of DOS packers.
    QVERIFY(makeArchive(archive, {{"sub/", ""}, {"sub/inner/x.txt", "x"}, {"./y.txt", "y"}, {"dos\\z.txt", "z"}}));
    const Run r = pkunzip({archive}, tmp.filePath("work"));
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(entries(tmp.filePath("work")), (QStringList{"dos", "sub", "y.txt"}));
    QCOMPARE(readAll(tmp.filePath("work/sub/inner/x.txt")), QByteArray("x"));
    QCOMPARE(readAll(tmp.filePath("work/dos/z.txt")), QByteArray("z"));
    QCOMPARE(readAll(tmp.filePath("work/y.txt")), QByteArray("y"));
    QCOMPARE(entries(tmp.filePath("work/sub")), QStringList{"inner"});
}

void TestPackPrograms::unsafeEntriesRefused_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("parent") << QByteArray("../x") << int(Kind::File) << "\"..\"";
    QTest::newRow("parent further in") << QByteArray("sub/../../x") << int(Kind::File) << "\"..\"";
    QTest::newRow("parent with backslash") << QByteArray("..\\x") << int(Kind::File) << "\"..\"";
    QTest::newRow("absolute") << QByteArray("@OUTSIDE@/x") << int(Kind::File) << "absoluter Pfad";
    QTest::newRow("drive") << QByteArray("C:/x") << int(Kind::File) << "Laufwerk";
    QTest::newRow("symlink") << QByteArray("link") << int(Kind::Symlink) << "symbolischer Verweis";
    QTest::newRow("fifo") << QByteArray("rohr") << int(Kind::Fifo) << "keine gewöhnliche Datei";
    QTest::newRow("encrypted") << QByteArray("geheim.db") << int(Kind::Encrypted) << "verschlüsselt";
    QTest::newRow("no name") << QByteArray("") << int(Kind::File) << "keinen Namen";
}

void TestPackPrograms::unsafeEntriesRefused() {
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath("work") && QDir(tmp.path()).mkpath("outside"));
    const QString outside = tmp.filePath("outside");
    name.replace("@OUTSIDE@", QFile::encodeName(outside));
    const QString archive = tmp.filePath("a.zip");
    // A harmless member first: the whole archive is refused, not just the bad one.
    QVERIFY(makeArchive(
        archive, {{"gut.txt", "gut"},
                  {name, kind == int(Kind::Symlink) ? QFile::encodeName(outside) : QByteArray("böse"), Kind(kind)},
                  {"spaeter.txt", "auch gut"}}));

    const Run r = pkunzip({archive}, tmp.filePath("work"));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(message) && r.err.contains("es wurde nichts entpackt"), qPrintable(r.err));
    QCOMPARE(entries(tmp.filePath("work")), QStringList());
    QCOMPARE(entries(outside), QStringList());
    QCOMPARE(entries(tmp.path()), (QStringList{"a.zip", "outside", "work"}));
}

void TestPackPrograms::linkInTargetNotFollowed() {
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath("work") && QDir(tmp.path()).mkpath("outside"));
    QVERIFY(QFile::link(tmp.filePath("outside"), tmp.filePath("work/d")));
    const QString archive = tmp.filePath("a.zip");
    QVERIFY(makeArchive(archive, {{"gut.txt", "gut"}, {"d/x", "böse"}}));

    const Run r = pkunzip({archive}, tmp.filePath("work"));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("kein Verzeichnis"), qPrintable(r.err));
    QCOMPARE(entries(tmp.filePath("outside")), QStringList());
    QCOMPARE(entries(tmp.filePath("work")), QStringList{"d"});
}

void TestPackPrograms::damagedArchivesRefused_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("truncated") << "truncated"
                               << "kein ZIP-Archiv oder ist beschädigt";
    QTest::newRow("text file") << "text"
                               << "kein ZIP-Archiv oder ist beschädigt";
    QTest::newRow("empty file") << "empty"
                                << "kein ZIP-Archiv";
    QTest::newRow("damaged member") << "damaged"
                                    << "beschädigt";
    QTest::newRow("missing") << "missing"
                             << "gibt es nicht";
}

void TestPackPrograms::damagedArchivesRefused() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath("work"));
    const QString archive = tmp.filePath("TRDATEN.ZIP");
    const QByteArray second(4000, 'B');
    QVERIFY(makeArchive(archive, {{"eins.db", QByteArray(4000, 'A')}, {"zwei.db", second}}));
    QByteArray bytes = readAll(archive);
    QVERIFY(!bytes.isEmpty());
    if (kind == "truncated") {
        writeFile(archive, bytes.left(bytes.size() / 2));
    } else if (kind == "text") {
        writeFile(archive, "Dies ist keine ZIP-Datei.\n");
    } else if (kind == "empty") {
        writeFile(archive, QByteArray());
    } else if (kind == "damaged") {
        // The second member is stored, not compressed: one changed byte
        // breaks its checksum, found only while it is read.
        const qsizetype at = bytes.indexOf(second);
        QVERIFY(at > 0);
        bytes[at + 100] = 'X';
        writeFile(archive, bytes);
    } else {
        QVERIFY(QFile::remove(archive));
    }

    const Run r = pkunzip({archive}, tmp.filePath("work"));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith("pkunzip: ") && r.err.contains(message), qPrintable(r.err));
    QCOMPARE(entries(tmp.filePath("work")), QStringList());
}

void TestPackPrograms::packingErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << QStringList{} << 2 << "Aufruf: pkzip ARCHIV DATEI";
    QTest::newRow("no files") << QStringList{"@/a.zip"} << 2 << "Aufruf: pkzip ARCHIV DATEI";
    QTest::newRow("missing file") << QStringList{"@/a.zip", "@/da.db", "@/fehlt.db"} << 1
                                  << "Die Datei \"@/fehlt.db\" gibt es nicht.";
    QTest::newRow("directory") << QStringList{"@/a.zip", "@/sub"} << 1 << "keine gewöhnliche Datei";
    QTest::newRow("same name twice") << QStringList{"@/a.zip", "@/da.db", "@/sub/da.db"} << 1
                                     << "Zwei Dateien heißen \"da.db\"";
    QTest::newRow("archive in itself") << QStringList{"@/a.zip", "@/da.db", "@/a.zip"} << 1 << "nicht selbst enthalten";
    QTest::newRow("unwritable archive") << QStringList{"@/fehlt/a.zip", "@/da.db"} << 1
                                        << "Das Archiv \"@/fehlt/a.zip\" kann nicht geschrieben werden";
}

void TestPackPrograms::packingErrors() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QVERIFY(QDir(tmp.path()).mkpath("sub"));
    writeFile(tmp.filePath("da.db"), "da");
    writeFile(tmp.filePath("sub/da.db"), "auch da");
    writeFile(tmp.filePath("a.zip"), "altes Archiv");
    args.replaceInStrings(QStringLiteral("@"), tmp.path());
    message.replace(QStringLiteral("@"), tmp.path());

    const Run r = pkzip(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(readAll(tmp.filePath("a.zip")), QByteArray("altes Archiv"));
    QCOMPARE(entries(tmp.path()), (QStringList{"a.zip", "da.db", "sub"}));
}

void TestPackPrograms::unpackUsage() {
    QTemporaryDir tmp;
    for (const QStringList &args : {QStringList{}, QStringList{"a.zip", "b.zip"}}) {
        const Run r = pkunzip(args, tmp.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("Aufruf: pkunzip ARCHIV"), qPrintable(r.err));
    }
    QCOMPARE(entries(tmp.path()), QStringList());
}

QTEST_GUILESS_MAIN(TestPackPrograms)
#include "tst_packprograms.moc"
