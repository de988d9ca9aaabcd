#include "ui/qt/QtSmallDialogs.h"

#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/qt/QtImageButton.h"
#include "ui/qt/QtLook.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

void useApplicationColours(QWidget& window) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, toQColor(kDialogBackground));
    palette.setColor(QPalette::WindowText, toQColor(kDialogText));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

} // namespace

QtAboutDialog::QtAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kAboutCaption));
    setWindowIcon(programIcon());
    setFont(windowsPointFont("MS Sans Serif", 8));
    const DialogUnits du(font());
    setFixedSize(du.x(235), du.y(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(programIcon().pixmap(32, 32));
    icon->setGeometry(du.x(11), du.y(17), 32, 32);
    auto* version = new QLabel(QString::fromLatin1(kAboutVersionText), this);
    version->setGeometry(du.rect(69, 25, 119, 8));
    auto* second = new QLabel(QString::fromLatin1(kAboutSecondLine), this);
    second->setGeometry(du.rect(69, 41, 119, 8));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.rect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QtCompletionDialog::QtCompletionDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setFont(windowsPointFont("Arial", 8));
    const DialogUnits du(font());
    setFixedSize(du.x(229), du.y(118));

    // The picture control takes the bitmap's own size.
    auto* notice = new QLabel(this);
    const QPixmap picture = resourceBitmap(IDB_COMPLETION_NOTICE);
    notice->setPixmap(picture);
    notice->setGeometry(QRect(QPoint(du.x(2), du.y(1)), picture.size()));

    ok_ = new QtImageButton(this);
    ok_->setGeometry(du.rect(78, 100, 74, 14));
    configureStandardButton(*ok_, QStringLiteral("OK"), kCompletionButtonTextX, kButtonTextY);
    connect(ok_, &QAbstractButton::clicked, this, &QDialog::accept);
    new BackgroundDrag(this);
}

void QtCompletionDialog::paintEvent(QPaintEvent*) {
    paintFramedBackground(*this);
}

void QtCompletionDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape cancels
}

QtSelectPrinterDialog::QtSelectPrinterDialog(SelectPrinterPresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      presenter_(presenter) {
    useApplicationColours(*this);
    setFont(windowsPointFont("Arial", 8));
    const DialogUnits du(font());
    setFixedSize(du.x(145), du.y(74));

    auto* label = new QLabel(QString::fromLatin1(kSelectPrinterLabel), this);
    label->setGeometry(du.rect(2, 5, 44, 8));
    const QFrame* frame = groupFrame(this, du.rect(1, 11, 144, 54));
    list_ = new QListWidget(this);
    list_->setGeometry(du.rect(2, 15, 142, 58));
    // The template's list is taller than its frame and would hide the frame's bottom line; the
    // Windows dialog cuts it to the frame the same way.
    fitInsideGroupFrame(*list_, *frame);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setObjectName(QStringLiteral("modelList"));
    for (const std::string& name : presenter_.entries()) {
        list_->addItem(QString::fromStdString(name));
    }
    // A selection change chooses, whether made by a click or an arrow key.
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        if (selected.isEmpty()) {
            return;
        }
        presenter_.onSelectionChanged(selected.front()->text().toStdString());
        accept();
    });
    new BackgroundDrag(this);
}

void QtSelectPrinterDialog::paintEvent(QPaintEvent*) {
    paintFramedBackground(*this);
}

void QtSelectPrinterDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        presenter_.onAcceptedWithoutSelection();
        accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape cancels
}
