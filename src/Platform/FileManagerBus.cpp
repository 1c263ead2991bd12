// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/FileManagerBus.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <glib.h>

namespace {

// An absolute path, or a name looked up in PATH, as the file it finally points to.
QString resolveProgram(const QString &program)
{
    if (program.isEmpty())
        return {};
    if (QDir::isAbsolutePath(program))
        return QFileInfo(program).canonicalFilePath();
    gchar *found = g_find_program_in_path(program.toUtf8().constData());
    const QString path = found ? QString::fromUtf8(found) : QString();
    g_free(found);
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

// The folders a session bus reads service files from, in the order it reads them.
QStringList serviceDirectories()
{
    QStringList roots;
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty())
        roots << runtime;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    roots << dataHome;
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    roots << dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    roots << QStringLiteral("/usr/share"); // the bus's own data folder, always read
    QStringList folders;
    for (const QString &root : roots)
        folders << root + QStringLiteral("/dbus-1/services");
    folders.removeDuplicates();
    return folders;
}

// The program in a service file's Exec line when the file offers `service`.
std::optional<QString> programOffering(const QString &file, const QString &service)
{
    std::optional<QString> program;
    GKeyFile *keys = g_key_file_new();
    const char *group = "D-BUS Service";
    if (g_key_file_load_from_file(
            keys, QFile::encodeName(file).constData(), G_KEY_FILE_NONE, nullptr)) {
        gchar *name = g_key_file_get_string(keys, group, "Name", nullptr);
        gchar *exec = g_key_file_get_string(keys, group, "Exec", nullptr);
        gchar **argv = nullptr;
        if (name && exec && QString::fromUtf8(name) == service
            && g_shell_parse_argv(exec, nullptr, &argv, nullptr))
            program = resolveProgram(QString::fromUtf8(argv[0]));
        g_strfreev(argv);
        g_free(exec);
        g_free(name);
    }
    g_key_file_free(keys);
    return program;
}

// The program a running process executes, and the one its first argument names (for programs
// run by an interpreter or through a symbolic link).
QStringList programsOf(uint pid)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QStringList programs;
    programs << QFileInfo(proc + QStringLiteral("exe")).canonicalFilePath();
    QFile cmdline(proc + QStringLiteral("cmdline"));
    if (cmdline.open(QIODevice::ReadOnly))
        programs << resolveProgram(QFile::decodeName(cmdline.readAll().split('\0').value(0)));
    programs.removeAll(QString());
    return programs;
}

} // namespace

QString FileManagerBus::serviceName()
{
    return QStringLiteral("org.freedesktop.FileManager1");
}

std::optional<QString> FileManagerBus::activationProgram(const QString &service)
{
    for (const QString &folder : serviceDirectories()) {
        const QStringList files
            = QDir(folder).entryList({ QStringLiteral("*.service") }, QDir::Files, QDir::Name);
        QStringList programs;
        for (const QString &file : files)
            if (std::optional<QString> program = programOffering(folder + u'/' + file, service))
                programs << *program;
        programs.removeDuplicates();
        if (programs.size() == 1 && !programs.first().isEmpty())
            return programs.first();
        if (!programs.isEmpty())
            return std::nullopt;
    }
    return std::nullopt;
}

bool FileManagerBus::leadsTo(const FileManager &manager, const QDBusConnection &bus)
{
    QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (!daemon || manager.executable.isEmpty())
        return false;
    if (daemon->isServiceRegistered(serviceName())) {
        const QDBusReply<uint> pid = daemon->servicePid(serviceName());
        return pid.isValid() && programsOf(pid.value()).contains(manager.executable);
    }
    const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
    if (!activatable.isValid() || !activatable.value().contains(serviceName()))
        return false;
    return activationProgram(serviceName()) == manager.executable;
}
