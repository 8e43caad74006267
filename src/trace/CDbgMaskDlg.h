#pragma once

#include <QDialog>
#include <cstdint>

class CDev;
class QItemSelection;
class QLabel;
class QPushButton;
class QTableWidget;

// "Set Debug Trace Mask": one check box per bit of the driver's trace mask. Every change goes
// to the driver at once; the two masks belong to the main frame and outlive the dialog.
class CDbgMaskDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int BitCount = 32;

    CDbgMaskDlg(CDev& dev, uint32_t& traceMask, uint32_t& appliedTraceMask, QWidget* parent = nullptr);

    void OnInitDialog();
    void OnShowWindow(bool show);
    // Every change of a row, be it its check box or only its selection.
    void OnTraceBitChanged(int row);
    void OnSetAsDefault();

signals:
    // The driver took a new mask from this dialog.
    void MaskApplied(uint32_t before, uint32_t after);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // True until the check boxes show the mask read from the driver: changes then only relabel.
    bool InitialisingList = true;

    void ReadMask();
    void FillList();
    void ShowMask();
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    CDev& dev_;
    uint32_t& traceMask_;
    uint32_t& appliedTraceMask_;
    QTableWidget* list_ = nullptr;
    QLabel* maskLabel_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* setAsDefault_ = nullptr;
};
