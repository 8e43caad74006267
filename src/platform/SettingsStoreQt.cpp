#include "platform/SettingsStore.h"

#include <cstring>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/WinError.h"

namespace {
// The marker value every created key carries, as a registry key has its default value.
constexpr const char* KeyMarker = "@";
constexpr const char* DwordPrefix = "dword:";
// "Software" exists on every machine; everything below it only once created.
constexpr const char* AlwaysThere = "Software";
// A settings file that has grown past this is not ours to parse.
constexpr qint64 MaxFileSize = 64 * 1024;

QString Group(const char* path) { return QString::fromLatin1(path).replace('\\', '/'); }

QString DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Quandrel/QOR_Stats.ini";
}

bool Readable(const QString& file) {
    QFileInfo info(file);
    return info.exists() && info.size() <= MaxFileSize;
}

bool KeyExists(QSettings& s, const QString& group) {
    return group == AlwaysThere || s.contains(group + "/" + KeyMarker);
}

// Sets one value and writes the file. When the write is refused the value is put back as the
// file has it: QSettings keeps a failed change pending in a cache shared by every QSettings of
// the file, where it would be read back as if written and written by whichever QSettings opens
// the file next, long after the caller was told that the write failed. (A file that did not
// parse reports that first and hides the write's own result; it is rewritten clean anyway.)
QSettings::Status SetAndSync(QSettings& s, const QString& name, const QVariant& value) {
    const QVariant before = s.value(name);
    s.setValue(name, value);
    s.sync();
    if (s.status() == QSettings::AccessError) {
        if (before.isValid())
            s.setValue(name, before);
        else
            s.remove(name);
    }
    return s.status();
}
}  // namespace

SettingsStore::SettingsStore(std::string backingFile)
    : file_(backingFile.empty() ? DefaultFile().toStdString() : std::move(backingFile)) {}

// A file has no access per key: what may be read or written is the file's business.
SettingsStore::Key SettingsStore::OpenKey(Root, const char* path, Access) const {
    QString group = Group(path);
    if (group == AlwaysThere) return reinterpret_cast<Key>(1);
    QString file = QString::fromStdString(file_);
    if (!Readable(file)) return nullptr;
    QSettings s(file, QSettings::IniFormat);
    return KeyExists(s, group) ? reinterpret_cast<Key>(1) : nullptr;
}

void SettingsStore::CloseKey(Key) const {}

int32_t SettingsStore::CreateKey(Root root, const char* parentPath, const char* name) const {
    Key parent = OpenKey(root, parentPath);
    if (!parent) return -1;
    CloseKey(parent);
    QString file = QString::fromStdString(file_);
    QFileInfo info(file);
    if (info.exists() && !Readable(file)) return 1;
    QDir().mkpath(info.absolutePath());
    QSettings s(file, QSettings::IniFormat);
    QString group = Group(parentPath) + "/" + Group(name);
    if (s.contains(group + "/" + KeyMarker)) return s.status() == QSettings::NoError ? 0 : 1;
    return SetAndSync(s, group + "/" + KeyMarker, QString()) == QSettings::NoError ? 0 : 1;
}

uint32_t SettingsStore::ReadDword(Root root, const char* path, const char* valueName, uint32_t& value) const {
    Key key = OpenKey(root, path);
    if (!key) return 0;
    CloseKey(key);
    QSettings s(QString::fromStdString(file_), QSettings::IniFormat);
    QVariant v = s.value(Group(path) + "/" + valueName);
    if (!v.isValid()) return WinError::FileNotFound;
    QString text = v.toString();
    bool ok = false;
    uint32_t parsed = 0;
    if (text.startsWith(DwordPrefix) && text.size() == int(strlen(DwordPrefix)) + 8)
        parsed = text.mid(int(strlen(DwordPrefix))).toUInt(&ok, 16);
    if (!ok) return WinError::InvalidData;  // another type or size than REG_DWORD
    value = parsed;
    return 0;
}

uint32_t SettingsStore::WriteDword(Root root, const char* path, const char* valueName, uint32_t value) const {
    Key key = OpenKey(root, path, Access::Write);
    if (!key) return WinError::FileNotFound;
    CloseKey(key);
    QSettings s(QString::fromStdString(file_), QSettings::IniFormat);
    const QString text = QString(DwordPrefix) + QString("%1").arg(value, 8, 16, QChar('0')).toUpper();
    return SetAndSync(s, Group(path) + "/" + valueName, text) == QSettings::NoError ? 0 : WinError::AccessDenied;
}
