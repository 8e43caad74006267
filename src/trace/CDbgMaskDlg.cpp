#include "trace/CDbgMaskDlg.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "base/LittleEndian.h"
#include "controls/DialogUnits.h"
#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "res/StringTable.h"

namespace {
// What the driver traces for each bit; row n of the list is bit n.
constexpr std::array<const char*, CDbgMaskDlg::BitCount> TraceBitDescriptions{{
    "Fatal Errors, assertions",
    "Warnings, Driver Entry/Unload",
    "Infos",
    "PnP, power mgmt at device scope",
    "Bus reset, PnP, power mgmt at global scope",
    "VST clock control",
    "",
    "IOCTL dispatching, static and device objects",
    "WDM/KS and ASIO interface: settings + channel enable/disable",
    "Channel/Channel Bundle configuration/control, AVS filters",
    "Get/Set volume at AVS interface",
    "ISO resources: streams, channels, buffers, Start/Stop streams",
    "ISO stream objects, bus driver IO completion, callbacks",
    "IEC Depacketizer, packet parsing errors",
    "ISO frame processing",
    "ASIO worker thread has missed events",
    "Address range objects, resource allocation, etc.",
    "AVC Manager: information on AVC request processing",
    "AVC Controller: discovery results",
    "AVC Controller: connection management",
    "AVC Controller: device control",
    "AVC Manager: raw command and response trace",
    "Synch master and sample rate selection",
    "Stream Manager states and error recovery",
    "Low level control API",
    "",
    "",
    "ISO descriptor completion callbacks",
    "Incoming MIDI bytes passing the depacketizer",
    "Outgoing MIDI bytes passing the packetizer",
    "ASIO buffer pointers",
    "",
}};

constexpr int BitColumnWidth = 50;

uint32_t Bit(int row) { return uint32_t(1) << (row % CDbgMaskDlg::BitCount); }

// Sends a mask to the driver, opening the device first if need be; true when it was accepted.
bool SendMask(CDev& dev, uint32_t code, uint32_t mask) {
    if (!dev.IsOpen()) dev.Open();
    uint8_t input[4];
    Le::PutU32(input, mask);
    return dev.Control(code, input, sizeof input, nullptr, 0) == 0;
}
}  // namespace

CDbgMaskDlg::CDbgMaskDlg(CDev& dev, uint32_t& traceMask, uint32_t& appliedTraceMask, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      dev_(dev),
      traceMask_(traceMask),
      appliedTraceMask_(appliedTraceMask) {
    setObjectName("traceMaskDialog");
    setWindowTitle(QString::fromLatin1(Str::TraceDialogTitle));
    const DialogUnits du(font());
    setFixedSize(du.X(331), du.Y(391));

    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName("close");
    close_->setDefault(true);
    close_->setGeometry(du.Rect(286, 369, 38, 14));
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    list_ = new QTableWidget(this);
    list_->setObjectName("traceBits");
    list_->setGeometry(du.Rect(7, 7, 317, 352));
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setMinimumSectionSize(1);
    list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);  // all 32 rows in view
    list_->horizontalHeader()->setHighlightSections(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    // Tab leaves the list for the buttons; the arrow keys move between its rows.
    list_->setTabKeyNavigation(false);
    connect(list_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->tableWidget() == list_) OnTraceBitChanged(item->row());
    });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CDbgMaskDlg::OnSelectionChanged);

    maskLabel_ = new QLabel(QStringLiteral("Static"), this);
    maskLabel_->setObjectName("maskLabel");
    maskLabel_->setGeometry(du.Rect(11, 371, 193, 8));

    setAsDefault_ = new QPushButton(QStringLiteral("Set as Default"), this);
    setAsDefault_->setObjectName("setAsDefault");
    // Fonts wider than the template's grow the button to the left, over free space.
    QRect defaultRect = du.Rect(218, 369, 54, 14);
    defaultRect.setLeft(defaultRect.right() + 1 - std::max(defaultRect.width(), setAsDefault_->sizeHint().width()));
    setAsDefault_->setGeometry(defaultRect);
    connect(setAsDefault_, &QPushButton::clicked, this, &CDbgMaskDlg::OnSetAsDefault);

    OnInitDialog();
}

void CDbgMaskDlg::OnInitDialog() { InitialisingList = true; }

void CDbgMaskDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window coming back from being minimised is no new showing.
    if (!event->spontaneous()) OnShowWindow(true);
}

void CDbgMaskDlg::OnShowWindow(bool show) {
    if (!show) return;
    InitialisingList = true;  // rows refilled on a later showing are no change of the user's
    ReadMask();
    FillList();
    for (int row = 0; row < list_->rowCount(); ++row)
        if (QTableWidgetItem* item = list_->item(row, 0))
            item->setCheckState(traceMask_ & Bit(row) ? Qt::Checked : Qt::Unchecked);
    InitialisingList = false;
    ShowMask();
}

void CDbgMaskDlg::ReadMask() {
    dev_.Open();
    uint8_t answer[4] = {};
    uint32_t returned = 0;
    // An answer shorter than the mask is as good as none.
    if (dev_.Control(IOCTL_QOR_GET_TRACE_MASK, nullptr, 0, answer, sizeof answer, &returned) == 0 &&
        returned == sizeof answer) {
        traceMask_ = Le::U32(answer);
        appliedTraceMask_ = traceMask_;
    }
    dev_.Close();
}

void CDbgMaskDlg::FillList() {
    list_->setRowCount(0);
    list_->setColumnCount(2);
    list_->setShowGrid(true);
    auto* bitHeading = new QTableWidgetItem(QStringLiteral("Bit"));
    bitHeading->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setHorizontalHeaderItem(0, bitHeading);
    list_->setColumnWidth(0, BitColumnWidth);
    auto* descriptionHeading = new QTableWidgetItem(QStringLiteral("Trace Bit Description"));
    descriptionHeading->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setHorizontalHeaderItem(1, descriptionHeading);
    list_->setColumnWidth(1, list_->viewport()->width() - BitColumnWidth);

    for (int row = 0; row < BitCount; ++row) {
        list_->insertRow(row);
        char number[16];
        std::snprintf(number, sizeof number, " %d", row);
        auto* bit = new QTableWidgetItem(QString::fromLatin1(number));
        bit->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        bit->setCheckState(Qt::Unchecked);
        list_->setItem(row, 0, bit);
        auto* description = new QTableWidgetItem(QString::fromLatin1(TraceBitDescriptions[row]));
        description->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        list_->setItem(row, 1, description);
    }
}

void CDbgMaskDlg::OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    // A row losing or gaining the selection is notified like a check box change: the row
    // that lost it first.
    for (const QItemSelection* change : {&deselected, &selected}) {
        std::set<int> rows;
        for (const QModelIndex& index : change->indexes()) rows.insert(index.row());
        for (int row : rows) OnTraceBitChanged(row);
    }
}

void CDbgMaskDlg::OnTraceBitChanged(int row) {
    if (row < 0 || row >= BitCount) return;
    const QTableWidgetItem* item = list_->item(row, 0);
    bool checked = item && item->checkState() == Qt::Checked;
    if (!InitialisingList) {
        if (checked)
            traceMask_ |= Bit(row);
        else
            traceMask_ &= ~Bit(row);
    }
    ShowMask();
    if (traceMask_ != appliedTraceMask_ && SendMask(dev_, IOCTL_QOR_SET_TRACE_MASK, traceMask_)) {
        const uint32_t before = appliedTraceMask_;
        appliedTraceMask_ = traceMask_;
        emit MaskApplied(before, appliedTraceMask_);
    }
}

void CDbgMaskDlg::OnSetAsDefault() { SendMask(dev_, IOCTL_QOR_SET_DEFAULT_TRACE_MASK, traceMask_); }

void CDbgMaskDlg::ShowMask() {
    char text[64];
    std::snprintf(text, sizeof text, Str::TraceMaskLabelFormat, static_cast<unsigned>(traceMask_));
    maskLabel_->setText(QString::fromLatin1(text));
}
