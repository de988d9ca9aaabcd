#include "ui/qt/QtPortConfigDialog.h"

#include "app/FirmwareApp.h"
#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/qt/QtImageButton.h"
#include "ui/qt/QtLook.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace {

constexpr int32_t kRadioIds[] = {IDC_RADIO_COM, IDC_RADIO_LPT, IDC_RADIO_USB, IDC_RADIO_ETHERNET};
constexpr int32_t kComboIds[] = {IDC_PORT_COMBO,   IDC_BAUD_COMBO,     IDC_DATABITS_COMBO,
                                 IDC_PARITY_COMBO, IDC_STOPBITS_COMBO, IDC_HANDSHAKE_COMBO};

void setTextColour(QWidget& widget, Rgb colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    palette.setColor(QPalette::ButtonText, toQColor(colour));
    widget.setPalette(palette);
}

} // namespace

QtIpAddressField::QtIpAddressField(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    frame_ = new QFrame(this);
    frame_->setFrameShape(QFrame::StyledPanel);
    frame_->setFrameShadow(QFrame::Sunken);
    frame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (size_t i = 0; i < parts_.size(); ++i) {
        auto* part = new QLineEdit(this);
        part->setFrame(false);
        part->setAlignment(Qt::AlignCenter);
        part->setValidator(new QIntValidator(0, 255, part));
        part->setMaxLength(3);
        parts_[i] = part;
    }
    for (QLabel*& dot : dots_) {
        dot = new QLabel(QStringLiteral("."), this);
        dot->setAlignment(Qt::AlignCenter);
    }
}

void QtIpAddressField::resizeEvent(QResizeEvent*) {
    frame_->setGeometry(rect());
    const int dotWidth = 6;
    const int partWidth = (width() - 4 - 3 * dotWidth) / 4;
    int x = 2;
    for (size_t i = 0; i < parts_.size(); ++i) {
        parts_[i]->setGeometry(x, 2, partWidth, height() - 4);
        x += partWidth;
        if (i < dots_.size()) {
            dots_[i]->setGeometry(x, 2, dotWidth, height() - 4);
            x += dotWidth;
        }
    }
}

std::array<int32_t, 4> QtIpAddressField::fields() const {
    std::array<int32_t, 4> values{};
    for (size_t i = 0; i < parts_.size(); ++i) {
        values[i] = parts_[i]->text().toInt(); // empty reads as 0
    }
    return values;
}

QtPortConfigDialog::QtPortConfigDialog(UsbPrinterSource& usb, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      presenter_(*this, usb) {
    setFont(windowsPointFont("Small Fonts", 7));
    const DialogUnits du(font());
    setFixedSize(du.x(196), du.y(152));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, toQColor(kDialogText));
    setPalette(palette);

    const auto label = [&](int32_t id, const char* text, QRect geometry) {
        auto* widget = new QLabel(QString::fromLatin1(text), this);
        widget->setGeometry(geometry);
        if (id == -1) {
            setTextColour(*widget, kPortDialogLabelText);
        } else {
            controls_[id] = widget;
        }
    };
    label(IDC_LABEL_PORT, "Port", du.rect(20, 28, 48, 13));
    label(IDC_LABEL_BAUD, "BaudRate", du.rect(20, 44, 48, 13));
    label(-1, "BitLength", du.rect(20, 60, 48, 13));
    label(-1, "Parity", du.rect(20, 76, 48, 13));
    label(-1, "StopBit", du.rect(20, 92, 48, 13));
    label(-1, "HandShake", du.rect(20, 108, 48, 13));
    groupFrame(this, du.rect(3, 18, 191, 106));

    const QRect comboPlaces[] = {du.rect(79, 26, 73, 12), du.rect(79, 42, 73, 12),
                                 du.rect(79, 58, 73, 12), du.rect(79, 74, 73, 12),
                                 du.rect(79, 90, 73, 12), du.rect(79, 106, 73, 12)};
    for (size_t i = 0; i < std::size(kComboIds); ++i) {
        const int32_t id = kComboIds[i];
        auto* box = new QComboBox(this);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setGeometry(comboPlaces[i]);
        controls_[id] = box;
        connect(box->lineEdit(), &QLineEdit::textEdited, this,
                [this, id] { typedInto_[id] = true; });
        connect(box, &QComboBox::activated, this, [this, id] { typedInto_[id] = false; });
    }

    controls_[IDC_RADIO_GROUP] = groupFrame(this, du.rect(3, 0, 191, 20));
    radios_ = new QButtonGroup(this);
    const char* radioTexts[] = {"COM", "LPT", "USB", "Ethernet"};
    const QRect radioPlaces[] = {du.rect(15, 8, 34, 9), du.rect(59, 8, 29, 9),
                                 du.rect(103, 8, 31, 9), du.rect(144, 8, 44, 10)};
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(radioTexts[i]), this);
        radio->setGeometry(radioPlaces[i]);
        setTextColour(*radio, kPortDialogLabelText);
        radios_->addButton(radio, i);
        controls_[kRadioIds[i]] = radio;
    }
    connect(radios_, &QButtonGroup::idClicked, this, [this](int index) {
        switch (static_cast<PortKind>(index)) {
        case PortKind::Com:
            presenter_.onComSelected();
            break;
        case PortKind::Lpt:
            presenter_.onLptSelected();
            break;
        case PortKind::Usb:
            presenter_.onUsbSelected();
            break;
        case PortKind::Ethernet:
            presenter_.onEthernetSelected();
            break;
        }
    });

    auto* ok = new QtImageButton(this);
    ok->setGeometry(du.rect(15, 129, 78, 19));
    controls_[IDC_CONFIG_OK] = ok;
    auto* cancel = new QtImageButton(this);
    cancel->setGeometry(du.rect(100, 129, 78, 19));
    controls_[IDC_CONFIG_CANCEL] = cancel;

    ipAddress_ = new QtIpAddressField(this);
    ipAddress_->setGeometry(du.rect(78, 26, 108, 14));
    controls_[IDC_IP_ADDRESS] = ipAddress_;
    tcpPort_ = new QLineEdit(this);
    tcpPort_->setGeometry(du.rect(78, 42, 77, 14));
    tcpPort_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tcpPort_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), tcpPort_));
    controls_[IDC_TCP_PORT] = tcpPort_;

    configureStandardButton(*ok, QStringLiteral("OK"), kButtonTextX, kButtonTextY);
    configureStandardButton(*cancel, QStringLiteral("Cancel"), kButtonTextX, kButtonTextY);
    connect(ok, &QAbstractButton::clicked, this, [this] { onOkClicked(); });
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    new BackgroundDrag(this);
}

QtPortConfigDialog::~QtPortConfigDialog() = default;

bool QtPortConfigDialog::runModal() {
    keys_ = std::make_unique<EnterEscapeSwallower>(this);
    // Dialog initialisation, once the caller has handed over the model and the port settings:
    // the presenter decides the port type, fills the lists and enables the model's port types.
    presenter_.initialize();
    const bool accepted = exec() == QDialog::Accepted;
    keys_.reset();
    return accepted;
}

QWidget* QtPortConfigDialog::control(int32_t controlId) const {
    const auto found = controls_.find(controlId);
    return found == controls_.end() ? nullptr : found->second;
}

QComboBox* QtPortConfigDialog::combo(int32_t id) const {
    return qobject_cast<QComboBox*>(control(id));
}

void QtPortConfigDialog::onOkClicked() {
    switch (presenter_.onOk()) {
    case DialogOutcome::Accepted:
        accept();
        break;
    case DialogOutcome::Cancelled:
        reject();
        break;
    case DialogOutcome::StayOpen:
        break;
    }
}

void QtPortConfigDialog::paintEvent(QPaintEvent*) {
    paintFramedBackground(*this);
}

void QtPortConfigDialog::setControlText(int32_t id, const std::string& text) {
    if (auto* label = qobject_cast<QLabel*>(control(id))) {
        label->setText(QString::fromStdString(text));
    }
}

void QtPortConfigDialog::showControl(int32_t id, bool visible) {
    if (QWidget* widget = control(id)) {
        widget->setVisible(visible);
    }
}

void QtPortConfigDialog::enableControl(int32_t id, bool enabled) {
    if (QWidget* widget = control(id)) {
        widget->setEnabled(enabled);
    }
}

void QtPortConfigDialog::clearList(int32_t id) {
    if (QComboBox* box = combo(id)) {
        box->clear();
        typedInto_[id] = false;
    }
}

void QtPortConfigDialog::addListEntry(int32_t id, const std::string& text) {
    if (QComboBox* box = combo(id)) {
        box->addItem(QString::fromStdString(text));
    }
}

void QtPortConfigDialog::selectListEntry(int32_t id, int32_t index) {
    if (QComboBox* box = combo(id)) {
        // An index past the end selects nothing.
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
        typedInto_[id] = false;
    }
}

int32_t QtPortConfigDialog::selectedListIndex(int32_t id) {
    QComboBox* box = combo(id);
    if (box == nullptr || typedInto_[id]) {
        return -1;
    }
    return box->currentIndex();
}

std::string QtPortConfigDialog::listEntryText(int32_t id, int32_t index) {
    QComboBox* box = combo(id);
    if (box == nullptr || index < 0 || index >= box->count()) {
        return {};
    }
    return box->itemText(index).toStdString();
}

std::string QtPortConfigDialog::listEditText(int32_t id) {
    QComboBox* box = combo(id);
    return box == nullptr ? std::string() : box->currentText().toStdString();
}

void QtPortConfigDialog::setCheckedPortType(int32_t index) {
    // An exclusive group cannot show "none checked"; lift it while the buttons are set.
    radios_->setExclusive(false);
    for (int i = 0; i < 4; ++i) {
        radios_->button(i)->setChecked(i == index);
    }
    radios_->setExclusive(true);
}

int32_t QtPortConfigDialog::checkedPortType() {
    return radios_->checkedId(); // -1 when none is checked
}

void QtPortConfigDialog::setTcpPortText(const std::string& text) {
    tcpPort_->setText(QString::fromStdString(text));
}

std::string QtPortConfigDialog::tcpPortText() {
    return tcpPort_->text().toStdString();
}

void QtPortConfigDialog::promptForInteger() {
    showMessage(kIntegerPromptText);
    tcpPort_->setFocus();
}

std::array<int32_t, 4> QtPortConfigDialog::ipAddressFields() {
    return ipAddress_->fields();
}

void QtPortConfigDialog::showMessage(const std::string& text) {
    showMessageBox(this, QString::fromLatin1(FirmwareApp::kTitle), QString::fromStdString(text));
}
