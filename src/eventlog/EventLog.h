#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>

#include "events/IEventSink.h"
#include "eventlog/EventLogFile.h"
#include "eventlog/EventLogModel.h"

// Where the detector's events go: a line each, with the local time to the millisecond, into
// the window's lines and the log file. A log file that cannot be written is said once, in the
// lines, and left alone for the rest of the run.
class EventLog : public QObject, public IEventSink {
    Q_OBJECT
public:
    // An empty `file` means there is nowhere to write: the window says so.
    explicit EventLog(std::filesystem::path file, size_t capacity = EventLogModel::DefaultCapacity,
                      EventLogFile::Limits limits = {}, QObject* parent = nullptr);

    // The event log file of the panel, in its state directory.
    static std::filesystem::path DefaultFile();

    // An event's text as the log shows it: the driver's names decoded as the pages decode them.
    static QString Text(const DriverEvent& event);

    void OnEvent(const DriverEvent& event) override;
    void OnEventsDone() override;

    EventLogModel& Model() { return model_; }
    const EventLogFile& File() const { return file_; }
    // The window's line about the file: where it is, or why it is not written.
    QString FileLine() const;

signals:
    void FileFailed();

private:
    void CheckFile();

    EventLogModel model_;
    EventLogFile file_;
    bool failureTold_ = false;
};
