#include "ui/qt/QtLook.h"

#include "ui/DialogLook.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// MulDiv as Windows rounds it (half away from zero), for positive values.
int mulDiv(int value, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) /
                            denominator);
}

bool isEnterOrEscape(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
           key->key() == Qt::Key_Escape;
}

} // namespace

QColor toQColor(Rgb color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QFont windowsPointFont(const char* face, int points) {
    QFont font(QString::fromLatin1(face));
    font.setPixelSize(mulDiv(points, 96, 72));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont windowsCellFont(const char* face, int cellHeight) {
    QFont font(QString::fromLatin1(face));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(cellHeight);
    // Qt sizes the em square; Windows sizes the whole cell. Scale the em down until the cell
    // fits, as the font mapper does for a positive height.
    const int cell = QFontMetrics(font).height();
    if (cell > cellHeight) {
        font.setPixelSize(std::max(1, mulDiv(cellHeight, cellHeight, cell)));
    }
    return font;
}

DialogUnits::DialogUnits(const QFont& dialogFont) {
    const QFontMetrics metrics(dialogFont);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (alphabet / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::x(int units) const {
    return mulDiv(units, baseX_, 4);
}

int DialogUnits::y(int units) const {
    return mulDiv(units, baseY_, 8);
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

void initQtResources() {
    Q_INIT_RESOURCE(mirelith);
}

QPixmap resourceBitmap(int bitmapId) {
    return QPixmap(QStringLiteral(":/mirelith/%1.png").arg(bitmapId));
}

QIcon programIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/mirelith/128.png"));
    icon.addFile(QStringLiteral(":/mirelith/128-16.png"));
    return icon;
}

QFrame* groupFrame(QWidget* parent, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->setObjectName(QStringLiteral("groupFrame"));
    return frame;
}

void fitInsideGroupFrame(QWidget& control, const QFrame& frame) {
    const int clear = frame.frameWidth() + 1;
    const QRect inside = frame.geometry().adjusted(clear, clear, -clear, -clear);
    control.setGeometry(control.geometry().intersected(inside));
}

void paintFramedBackground(QWidget& window) {
    QPainter painter(&window);
    painter.setPen(toQColor(kLineColor));
    painter.setBrush(toQColor(kDialogBackground));
    painter.drawRect(0, 0, window.width() - 1, window.height() - 1);
}

void showMessageBox(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

BackgroundDrag::BackgroundDrag(QWidget* window) : QObject(window), window_(window) {
    window->installEventFilter(this);
}

bool BackgroundDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        QWindow* handle = window_->windowHandle();
        if (handle != nullptr && handle->startSystemMove()) {
            return true;
        }
        dragging_ = true;
        grabOffset_ = mouse->globalPosition().toPoint() - window_->frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove:
        if (dragging_) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            window_->move(mouse->globalPosition().toPoint() - grabOffset_);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (dragging_) {
            dragging_ = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

EnterEscapeSwallower::EnterEscapeSwallower(QWidget* window) : window_(window) {
    qApp->installEventFilter(this);
}

EnterEscapeSwallower::~EnterEscapeSwallower() {
    qApp->removeEventFilter(this);
}

bool EnterEscapeSwallower::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != window_) {
        // Open drop-down lists are windows of their own: Escape still closes them.
        return false;
    }
    return isEnterOrEscape(static_cast<QKeyEvent*>(event));
}
