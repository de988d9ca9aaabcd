#pragma once
// Template 129 in Qt: the face of PortConfigPresenter. Captionless, kept above other windows,
// moved by its background, closed only by its OK and Cancel buttons: Enter and Escape do
// nothing in it.
#include "ui/PortConfigPresenter.h"

#include <QDialog>

#include <array>
#include <map>
#include <memory>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QtImageButton;
class EnterEscapeSwallower;

// The four-part IP address field (control 1020): each part takes 0 to 255, an empty part
// reads as 0.
class QtIpAddressField : public QWidget {
  public:
    explicit QtIpAddressField(QWidget* parent);
    std::array<int32_t, 4> fields() const;
    QLineEdit* part(int index) const { return parts_[static_cast<size_t>(index)]; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    std::array<QLineEdit*, 4> parts_{};
    std::array<QLabel*, 3> dots_{};
    QFrame* frame_;
};

class QtPortConfigDialog : public QDialog, private PortConfigView {
  public:
    QtPortConfigDialog(UsbPrinterSource& usb, QWidget* parent);
    ~QtPortConfigDialog() override;

    PortConfigPresenter& presenter() { return presenter_; }
    // Initialises from the presenter's values and runs the dialog modally; true when it was
    // accepted.
    bool runModal();

    // The controls by their template ids, for whoever drives the dialog as a user would.
    QWidget* control(int32_t controlId) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // PortConfigView
    void setControlText(int32_t id, const std::string& text) override;
    void showControl(int32_t id, bool visible) override;
    void enableControl(int32_t id, bool enabled) override;
    void clearList(int32_t id) override;
    void addListEntry(int32_t id, const std::string& text) override;
    void selectListEntry(int32_t id, int32_t index) override;
    int32_t selectedListIndex(int32_t id) override;
    std::string listEntryText(int32_t id, int32_t index) override;
    std::string listEditText(int32_t id) override;
    void setCheckedPortType(int32_t index) override;
    int32_t checkedPortType() override;
    void setTcpPortText(const std::string& text) override;
    std::string tcpPortText() override;
    void promptForInteger() override;
    std::array<int32_t, 4> ipAddressFields() override;
    void showMessage(const std::string& text) override;

    QComboBox* combo(int32_t id) const;
    void onOkClicked();

    PortConfigPresenter presenter_;
    std::map<int32_t, QWidget*> controls_;
    // Lists whose edit part was typed into since an entry was last chosen: no entry counts as
    // selected then, as in a Windows drop-down list.
    std::map<int32_t, bool> typedInto_;
    QButtonGroup* radios_;
    QtIpAddressField* ipAddress_;
    QLineEdit* tcpPort_;
    std::unique_ptr<EnterEscapeSwallower> keys_;
};
