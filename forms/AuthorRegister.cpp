#include "forms/AuthorRegister.h"

#include "platform/Cp1251.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

QStringList AuthorRegister::parse(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    const QString text = Cp1251::decode(nul < 0 ? bytes : bytes.left(nul));
    QStringList entries;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        entries.append(text.mid(start, end - start));
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n')
            start = end + 2;
        else
            start = end + 1;
    }
    return entries;
}

QByteArray AuthorRegister::format(const QStringList& entries)
{
    QByteArray bytes;
    for (const QString& entry : entries) {
        bool ok = true;
        bytes += Cp1251::encode(entry, &ok);
        if (!ok)
            throw Error(QStringLiteral("The name \"%1\" holds characters that the register's code page "
                                       "(Windows-1251) cannot store")
                            .arg(entry));
        bytes += "\r\n";
    }
    return bytes;
}

void AuthorRegister::checkEntry(const QString& path, const QString& name)
{
    try {
        format({name});
    } catch (const Error& e) {
        throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(FileSystem::fullPath(path), e.message()));
    }
}

QStringList AuthorRegister::read(const QString& path) { return parse(FileSystem::readWholeFile(path)); }

void AuthorRegister::write(const QString& path, const QStringList& entries)
{
    QByteArray bytes;
    try {
        bytes = format(entries);
    } catch (const Error& e) {
        throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(FileSystem::fullPath(path), e.message()));
    }
    FileSystem::replaceWholeFile(path, bytes);
}
