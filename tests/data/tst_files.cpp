// Replacing a whole file: afterwards the file holds either the whole new
// content or its previous content, every step of the system is checked, and
// a folder that takes no new file gets the file rewritten in place.

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

using FileSystem::WriteStep;

namespace {

// A failure injected at the n-th call of one step (0: no failure); with
// readOnlyFolder, the folder refuses a new file as a read-only one does.
struct Fault {
    bool readOnlyFolder = false;
    WriteStep step = WriteStep::Write;
    int nth = 0;
    int err = 0;
};

} // namespace

Q_DECLARE_METATYPE(Fault)

namespace {

void inject(const Fault& fault)
{
    FileSystem::setWriteFault([fault, calls = 0](WriteStep step) mutable {
        if (fault.readOnlyFolder && step == WriteStep::CreateNew)
            return EACCES;
        if (fault.nth > 0 && step == fault.step && ++calls == fault.nth)
            return fault.err;
        return 0;
    });
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// A content of n bytes that differs from every other length's.
QByteArray content(qsizetype n, char first)
{
    QByteArray bytes(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        bytes[i] = char(first + i % 23);
    return bytes;
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void replaced_data();
    void replaced();
    void failureKeepsThePreviousContent_data();
    void failureKeepsThePreviousContent();
    void missingFileInAReadOnlyFolderIsReported();
    void linkedFileIsReplacedAndTheLinkKept();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path;
};

void TestFiles::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    path = dir->filePath(QStringLiteral("1.txt"));
}

void TestFiles::cleanup()
{
    FileSystem::setWriteFault({});
    dir.reset();
}

void TestFiles::replaced_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QByteArray>("previous");
    QTest::addColumn<QByteArray>("next");
    const qsizetype chunk = FileSystem::kWriteChunk;
    for (bool readOnly : {false, true}) {
        const char* where = readOnly ? "in place" : "new file";
        QTest::addRow("%s, longer", where) << readOnly << QByteArray("a\r\n") << QByteArray("a\r\nb\r\n");
        QTest::addRow("%s, shorter", where) << readOnly << QByteArray("a\r\nb\r\n") << QByteArray("b\r\n");
        QTest::addRow("%s, emptied", where) << readOnly << QByteArray("a\r\n") << QByteArray();
        QTest::addRow("%s, several pieces", where)
            << readOnly << content(chunk / 2, 'a') << content(2 * chunk + 5, 'b');
    }
}

void TestFiles::replaced()
{
    QFETCH(bool, readOnlyFolder);
    QFETCH(QByteArray, previous);
    QFETCH(QByteArray, next);
    writeFile(path, previous);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    inject({readOnlyFolder});
    FileSystem::replaceWholeFile(path, next);
    QCOMPARE(readFile(path), next);
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("1.txt")});
    QCOMPARE(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
}

void TestFiles::failureKeepsThePreviousContent_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("chunks"); // length of the new content in pieces
    const auto row = [](const char* name, Fault fault, int chunks = 1) { QTest::newRow(name) << fault << chunks; };
    row("disk full at creating the new file", {false, WriteStep::CreateNew, 1, ENOSPC});
    row("disk full at the first write", {false, WriteStep::Write, 1, ENOSPC});
    row("disk full at a later write", {false, WriteStep::Write, 2, ENOSPC}, 3);
    row("disk full at the flush", {false, WriteStep::Flush, 1, ENOSPC});
    row("quota exceeded at closing", {false, WriteStep::Close, 1, EDQUOT});
    row("input/output error at renaming", {false, WriteStep::Rename, 1, EIO});
    row("in place, disk full at reserving", {true, WriteStep::Reserve, 1, ENOSPC}, 3);
    row("in place, write fails after the first piece", {true, WriteStep::Write, 2, ENOSPC}, 3);
    row("in place, input/output error at the flush", {true, WriteStep::Flush, 1, EIO});
    row("in place, the file cannot be opened", {true, WriteStep::OpenInPlace, 1, EACCES});
}

void TestFiles::failureKeepsThePreviousContent()
{
    QFETCH(Fault, fault);
    QFETCH(int, chunks);
    const QByteArray previous = content(FileSystem::kWriteChunk + 7, 'a');
    const QByteArray next = content(chunks * FileSystem::kWriteChunk - 3, 'b');
    writeFile(path, previous);
    inject(fault);

    QString message;
    try {
        FileSystem::replaceWholeFile(path, next);
    } catch (const Error& e) {
        message = e.message();
    }
    QCOMPARE(message, QStringLiteral("Cannot create file \"%1\". %2").arg(path, qt_error_string(fault.err)));
    QCOMPARE(readFile(path), previous);
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("1.txt")});

    // Once the system works again, the same replacement succeeds.
    FileSystem::setWriteFault({});
    FileSystem::replaceWholeFile(path, next);
    QCOMPARE(readFile(path), next);
}

void TestFiles::missingFileInAReadOnlyFolderIsReported()
{
    inject({true});
    QString message;
    try {
        FileSystem::replaceWholeFile(path, "a\r\n");
    } catch (const Error& e) {
        message = e.message();
    }
    QCOMPARE(message, QStringLiteral("Cannot create file \"%1\". Permission denied").arg(path));
    QVERIFY(!QFile::exists(path));
}

void TestFiles::linkedFileIsReplacedAndTheLinkKept()
{
    const QString target = dir->filePath(QStringLiteral("register.txt"));
    writeFile(target, "a\r\n");
    QVERIFY(QFile::link(target, path));
    FileSystem::replaceWholeFile(path, "b\r\n");
    QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(readFile(target), QByteArray("b\r\n"));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
