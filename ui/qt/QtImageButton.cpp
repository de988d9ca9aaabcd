#include "ui/qt/QtImageButton.h"

#include "ui/qt/QtLook.h"

#include <QPainter>
#include <QStyleOptionButton>

QtImageButton::QtImageButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void QtImageButton::setBitmaps(int normalId, int pressedId, int disabledId) {
    images_.clear();
    const QPixmap normal = resourceBitmap(normalId);
    if (normal.isNull()) {
        return;
    }
    faceSize_ = normal.size();
    images_.push_back(normal);
    for (int id : {pressedId, disabledId}) {
        if (id == 0) {
            continue;
        }
        const QPixmap face = resourceBitmap(id);
        if (!face.isNull()) {
            images_.push_back(face);
        }
    }
    // The face decides the size, whatever the layout said.
    setFixedSize(faceSize_);
}

void QtImageButton::setFont(const char* faceName, int cellHeight) {
    font_ = windowsCellFont(faceName, cellHeight);
}

void QtImageButton::setTextPosition(int x, int y) {
    textX_ = x;
    textY_ = y;
}

void QtImageButton::setTextColors(Rgb enabled, Rgb disabled) {
    textColor_ = enabled;
    disabledTextColor_ = disabled;
}

QSize QtImageButton::sizeHint() const {
    return faceSize_.isValid() ? faceSize_ : QAbstractButton::sizeHint();
}

void QtImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ButtonFace face =
        chooseButtonFace(!isEnabled(), isDown(), imageCount(), textColor_, disabledTextColor_);
    if (face.imageIndex >= 0 && face.imageIndex < imageCount()) {
        painter.drawPixmap(0, 0, images_[static_cast<size_t>(face.imageIndex)]);
    } else {
        // Without faces the button shows the standard frame and its text.
        QStyleOptionButton option;
        option.initFrom(this);
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    }
    if (text().isEmpty()) {
        return;
    }
    painter.setFont(font_);
    painter.setPen(toQColor(face.textColor));
    if (textAtOrigin(textX_, textY_)) {
        // The origin is the top left of the text cell, as TextOut places it.
        painter.drawText(textX_, textY_ + QFontMetrics(font_).ascent(), text());
    } else {
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
    // No focus rectangle: a focused button looks like any other.
}

void configureStandardButton(QtImageButton& button, const QString& text, int textX, int textY) {
    const ImageButtonLook& look = kStandardButtonLook;
    button.setBitmaps(look.normalFace, look.pressedFace, look.disabledFace);
    button.setText(text);
    button.setFont(look.fontFace, look.fontHeight);
    button.setTextPosition(textX, textY);
    button.setTextColors(look.textColor, look.disabledTextColor);
}
