#include "eventlog/EventLog.h"

#include <QDateTime>
#include <array>

#include "platform/DriverText.h"
#include "platform/StateDirectory.h"
#include "res/StringTable.h"

namespace {
const char* CategoryWord(EventCategory c) {
    switch (c) {
        case EventCategory::Errors: return Str::EventLogErrors;
        case EventCategory::Devices: return Str::EventLogDevices;
        case EventCategory::Driver: return Str::EventLogDriver;
    }
    return "";
}

// Event texts hold the driver's names, decoded as the pages decode them.
QString DecodedText(std::string_view text) {
    std::array<char16_t, DriverEvent::TextCapacity> units;
    const size_t count = DriverText::ToUtf16(text.substr(0, units.size()), units.data(), units.size());
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(count));
}

QString PathText(const std::filesystem::path& p) {
#ifdef _WIN32
    return QString::fromStdWString(p.wstring());
#else
    return QString::fromLocal8Bit(p.c_str());
#endif
}
}  // namespace

EventLog::EventLog(std::filesystem::path file, size_t capacity, EventLogFile::Limits limits, QObject* parent)
    : QObject(parent), model_(capacity), file_(std::move(file), limits) {}

std::filesystem::path EventLog::DefaultFile() {
    const std::filesystem::path dir = StateDirectory::Path();
    return dir.empty() ? dir : dir / Str::EventLogFileName;
}

QString EventLog::Text(const DriverEvent& event) { return DecodedText(event.Text()); }

void EventLog::OnEvent(const DriverEvent& event) {
    const QString time = QDateTime::fromMSecsSinceEpoch(event.wallMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    const QString line = QStringLiteral("%1  %2  %3")
                             .arg(time, QString::fromLatin1(CategoryWord(event.Category())).leftJustified(7),
                                  Text(event));
    if (!file_.Failed()) file_.Write(line.toUtf8().toStdString());
    model_.Append(event.Category(), line);
    CheckFile();
}

void EventLog::OnEventsDone() {
    file_.Flush();
    CheckFile();
}

void EventLog::CheckFile() {
    if (!file_.Failed() || failureTold_) return;
    failureTold_ = true;
    model_.Append(EventCategory::Driver, FileLine());
    emit FileFailed();
}

QString EventLog::FileLine() const {
    if (file_.Path().empty()) return QString::fromLatin1(Str::EventLogNoFile);
    const QString path = PathText(file_.Path());
    if (!file_.Failed()) return QString::fromLatin1(Str::EventLogFileFormat).arg(path);
    return QString::fromLatin1(Str::EventLogFileFailedFormat).arg(path, QString::fromLocal8Bit(file_.Error().c_str()));
}
