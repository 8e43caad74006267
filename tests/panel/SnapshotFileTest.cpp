#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QThread>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <string>

#include "driver/DriverRecords.h"
#include "support/ModalHook.h"
#include "support/PanelFixture.h"

namespace {

QJsonObject Page(const QJsonObject& document, const QString& node) {
    for (const QJsonValue& page : document["pages"].toArray())
        if (page["node"].toString() == node) return page.toObject();
    return {};
}

QJsonObject Row(const QJsonObject& page, const QString& name) {
    for (const QJsonValue& row : page["rows"].toArray())
        if (row["name"].toString() == name) return row.toObject();
    return {};
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The simulator's state the tests set, all of it visible in the files.
void KnownValues(PanelFixture& p) {
    p.sim.SetSampleRate(96000);
    p.sim.SetDriverVersion(1, 2, 3, 4, 127, 3);
    // A name as a driver may send it: quotes, a backslash, a line break, a control byte, a
    // non-ASCII letter and a byte that is no UTF-8.
    p.sim.SetDeviceNames(0, "Stud\xC3\xADo \"A\"\\\n\x01\xFF", "=cmd()");
    p.sim.SetIsoInField(0, IsoInField::MinSytOffset, static_cast<uint32_t>(-5));
    p.sim.SetIsoInField(0, IsoInField::MissingPacket, 7);
    p.sim.SetIsoInField(0, IsoInField::DataBlockSizeChanged, ValueNotAvailable);
    p.sim.SetIsoInField(1, IsoInField::ExpectedSFC, 4000000000u);
}

// The panel reads the devices' sample rate record only while the devices page shows.
void StartOnDevices(PanelFixture& p) {
    p.Start();
    p.Tick(2);
    p.Select(p.Root(NodeKind_Devices));
    p.Tick();
}

}  // namespace

// The JSON file holds every page's numbers as numbers, n/a as null, signed values signed, the
// units apart and the driver's texts decoded, and it parses as JSON whatever the names hold.
TEST(SnapshotFile, JsonCarriesTheSimulatorsValues) {
    PanelFixture p;
    KnownValues(p);
    p.sim.SetExtendedStatistics(false);
    p.sim.SetDriverVersion(1, 2, 3, 4, 127, 1);
    StartOnDevices(p);
    const QString path = p.dir.path() + "/snapshot.json";
    ASSERT_TRUE(p.frame->SaveSnapshot(path));

    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(Read(path), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject doc = json.object();
    EXPECT_EQ(doc["format"].toString(), "qorstats-snapshot");
    EXPECT_EQ(doc["version"].toInt(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$").match(doc["time"].toString()).hasMatch());
    EXPECT_EQ(doc["sampleRate"].toInt(), 96000);
    EXPECT_EQ(doc["driver"]["release"].toString(), "V3.04.127");
    EXPECT_EQ(doc["driver"]["interface"].toString(), "V1.02");
    EXPECT_EQ(doc["driver"]["build"].toString(), "Debug Build");
    EXPECT_FALSE(doc["driver"]["extendedStatistics"].toBool(true));

    const QString name = QString::fromUtf8("Stud\xC3\xADo \"A\"\\\n\x01\xEF\xBF\xBD");
    const QJsonObject devices = Page(doc, "Devices");
    EXPECT_EQ(Row(devices, "HardwareName")["values"][0].toString(), name);
    EXPECT_EQ(Row(devices, "SampleRate")["unit"].toString(), "samples/s");
    EXPECT_TRUE(Row(devices, "ID")["values"][0].toString().startsWith("0x"));

    const QJsonObject streams = Page(doc, "ISO IN Streams");
    EXPECT_EQ(streams["columns"][0].toString(), "Property");
    EXPECT_EQ(streams["columns"][1].toString(), name);
    EXPECT_EQ(Row(streams, "MissingPacket")["values"][0].toInt(), 7);
    EXPECT_TRUE(Row(streams, "DataBlockSizeChanged")["values"][0].isNull());
    EXPECT_EQ(Row(streams, "ExpectedSFC")["values"][1].toDouble(), 4000000000.0);
    EXPECT_EQ(Row(streams, "IsSampleClockMaster")["values"][0].toString(), "yes");
    // Extended rows are n/a without extended statistics, and keep their unit.
    EXPECT_TRUE(Row(streams, "MinSytOffset")["values"][0].isNull());
    EXPECT_EQ(Row(Page(doc, "ASIO"), "MinBufferSwitchInterval")["values"][0].type(), QJsonValue::Null);
    EXPECT_EQ(Row(Page(doc, "ASIO"), "RefClockInterval")["unit"].toString(), "samples");
    EXPECT_EQ(Row(Page(doc, "ASIO"), "SampleRate")["values"][0].toInt(), 96000);

    // The single stream page is its own node, named after its device.
    const QJsonObject single = Page(doc, "ISO IN Streams/" + name);
    EXPECT_EQ(Row(single, "MissingPacket")["values"][0].toInt(), 7);
    EXPECT_EQ(doc["pages"].toArray().first()["node"].toString(), "General");
}

TEST(SnapshotFile, SignedValuesAndMicrosecondsSurviveWithExtendedStatistics) {
    PanelFixture p;
    KnownValues(p);
    StartOnDevices(p);
    const QString path = p.dir.path() + "/snapshot.json";
    ASSERT_TRUE(p.frame->SaveSnapshot(path));
    const QJsonObject doc = QJsonDocument::fromJson(Read(path)).object();
    const QJsonObject streams = Page(doc, "ISO IN Streams");
    EXPECT_EQ(Row(streams, "MinSytOffset")["values"][0].toInt(), -5);
    EXPECT_EQ(Row(streams, "MinSytOffset")["unit"].toString(), "CT ticks");
    EXPECT_EQ(Row(Page(doc, "ISO OUT Streams"), "MinCallbackInterval")["unit"].toString(), QString::fromUtf8("\xC2\xB5s"));
    EXPECT_TRUE(doc["driver"]["extendedStatistics"].toBool());
}

// One line per value cell, quoted where a field needs it, and no driver text that a
// spreadsheet would run as a formula.
TEST(SnapshotFile, CsvHasOneQuotedLinePerCell) {
    PanelFixture p;
    KnownValues(p);
    StartOnDevices(p);
    const QString path = p.dir.path() + "/snapshot.csv";
    ASSERT_TRUE(p.frame->SaveSnapshot(path));
    const QString csv = QString::fromUtf8(Read(path));
    EXPECT_TRUE(csv.startsWith("node,row,column,value,unit\r\n"));
    const QString name = QString::fromUtf8("\"Stud\xC3\xADo \"\"A\"\"\\\n\x01\xEF\xBF\xBD\"");
    EXPECT_TRUE(csv.contains("ISO IN Streams," "MinSytOffset," + name + ",-5,CT ticks\r\n")) << csv.left(2000).toStdString();
    EXPECT_TRUE(csv.contains("ISO IN Streams,MissingPacket," + name + ",7,\r\n"));
    EXPECT_TRUE(csv.contains("Devices,NickName,Device 0,'=cmd(),\r\n"));
    EXPECT_TRUE(csv.contains("Devices,SampleRate,Device 0,96000,samples/s\r\n"));
    EXPECT_TRUE(csv.contains("Snapshot,SampleRate,Value,96000,samples/s\r\n"));
    EXPECT_TRUE(csv.contains("ISO IN Streams,DataBlockSizeChanged," + name + ",n/a,\r\n"));
}

// File > Save Snapshot As... asks for the name, and a name it cannot write is told, not lost.
TEST(SnapshotFile, TheMenuSavesWhereTheUserSaysAndTellsAFailure) {
    PanelFixture p;
    p.Start();
    p.Tick(2);
    auto* save = p.frame->findChild<QAction*>("menuSaveSnapshot");
    ASSERT_NE(save, nullptr);
    const QString path = p.dir.path() + "/chosen";
    ModalHook hook([&](QWidget& modal) {
        auto* dialog = qobject_cast<QFileDialog*>(&modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    save->trigger();
    EXPECT_EQ(hook.Seen(), 1);
    EXPECT_TRUE(QJsonDocument::fromJson(Read(path + ".json")).isObject());

    QString told;
    ModalHook failure([&](QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) told = box->text();
    });
    const QString nowhere = p.dir.path() + "/no/such/dir/snapshot.json";
    EXPECT_FALSE(p.frame->SaveSnapshot(nowhere));
    EXPECT_TRUE(told.contains(nowhere)) << told.toStdString();
}

// A file saved a while after the last refresh carries the time its values were read, and the
// time it was saved apart.
TEST(SnapshotFile, CarriesTheTimeTheValuesWereReadAndTheTimeOfTheSave) {
    PanelFixture p;
    p.Start();
    auto utc = [] { return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")); };
    const QString before = utc();
    p.Tick(2);
    const QString after = utc();
    QThread::msleep(1100);
    const QString saving = utc();
    ASSERT_TRUE(p.frame->SaveSnapshot(p.dir.path() + "/s.json"));
    ASSERT_TRUE(p.frame->SaveSnapshot(p.dir.path() + "/s.csv"));
    const QJsonObject json = QJsonDocument::fromJson(Read(p.dir.path() + "/s.json")).object();
    const QString csv = QString::fromUtf8(Read(p.dir.path() + "/s.csv"));
    auto csvValue = [&](const char* row) {
        return QRegularExpression(QStringLiteral("\r\nSnapshot,%1,Value,([^,]*),").arg(row)).match(csv).captured(1);
    };
    for (const auto& [read, saved] : {std::pair(json["time"].toString(), json["saved"].toString()),
                                      std::pair(csvValue("Time"), csvValue("Saved"))}) {
        EXPECT_GE(read, before);
        EXPECT_LE(read, after);
        EXPECT_GE(saved, saving);
    }
}
