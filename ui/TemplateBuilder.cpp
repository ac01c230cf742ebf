// SPDX-License-Identifier: MIT
#include "TemplateBuilder.h"

#include "DialogUnits.h"
#include "SwarmCanvas.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVariant>

namespace {

constexpr const char* kIdProperty = "controlId";

QString Caption(const DialogItem& item)
{
    return item.caption ? QString::fromUtf8(item.caption) : QString();
}

QWidget* MakeStatic(const DialogItem& item, QWidget* parent)
{
    const std::uint32_t kind = item.style & StaticStyle::TypeMask;
    if (kind == StaticStyle::GrayRect)
        return new SwarmCanvas(parent);
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (kind == StaticStyle::Icon) {
        label->setPixmap(LoadAppIcon().pixmap(32, 32));
    } else {
        label->setTextFormat(Qt::PlainText);
        label->setText(Caption(item));
        label->setWordWrap(true);
    }
    return label;
}

QWidget* MakeEdit(const DialogItem& item, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setFrame((item.style & WindowStyle::Border) != 0);
    return edit;
}

QWidget* MakeButton(const DialogItem& item, QWidget* parent)
{
    auto* button = new QPushButton(Caption(item), parent);
    const std::uint32_t kind = item.style & ButtonStyle::TypeMask;
    button->setCheckable(kind == ButtonStyle::AutoCheckBox && (item.style & ButtonStyle::PushLike));
    // Only the template's default button answers Enter for the whole dialog;
    // focus alone does not make any other button the default.
    button->setAutoDefault(kind == ButtonStyle::DefPushButton);
    button->setDefault(kind == ButtonStyle::DefPushButton);
    return button;
}

Qt::WindowFlags FlagsFor(const DialogTemplate& t)
{
    const bool framed = t.style & (WindowStyle::ThickFrame | WindowStyle::MinimizeBox | WindowStyle::MaximizeBox);
    Qt::WindowFlags flags = (framed ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint;
    if (t.style & WindowStyle::Caption)
        flags |= Qt::WindowTitleHint;
    if (t.style & WindowStyle::SysMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & WindowStyle::MinimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    if (t.style & WindowStyle::MaximizeBox)
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

} // namespace

QFont DialogFont(const DialogTemplate& t)
{
    const QString face = QString::fromUtf8(t.fontFace);
    QFont font = QFontDatabase::families().contains(face) ? QFont(face)
                                                          : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(t.fontPointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {BaseUnitX(alphabet), metrics.height()};
}

QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int cx, int cy)
{
    const PixelRect r = DialogUnitsToPixels(x, y, cx, cy, units.x, units.y);
    return QRect(r.x, r.y, r.cx, r.cy);
}

QIcon LoadAppIcon()
{
    // Every size the desktop's icon set has, so that each window scale finds its own.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/driftmote-%1.png").arg(size), QSize(size, size));
    return icon;
}

void BuildDialog(QDialog& dialog, const DialogTemplate& t)
{
    dialog.setWindowFlags(FlagsFor(t));
    dialog.setWindowTitle(QString::fromUtf8(t.caption));
    const QFont font = DialogFont(t);
    dialog.setFont(font);
    const DialogBaseUnits units = BaseUnitsOf(font);
    const QSize client = MapDialogRect(units, 0, 0, t.cx, t.cy).size();
    if (t.style & WindowStyle::ThickFrame)
        dialog.resize(client);
    else
        dialog.setFixedSize(client);

    for (int i = 0; i < t.itemCount; ++i) {
        const DialogItem& item = t.items[i];
        QWidget* w = nullptr;
        switch (item.cls) {
        case ControlClass::Static: w = MakeStatic(item, &dialog); break;
        case ControlClass::Edit: w = MakeEdit(item, &dialog); break;
        case ControlClass::Button: w = MakeButton(item, &dialog); break;
        }
        w->setObjectName(QString::fromUtf8(item.name));
        w->setProperty(kIdProperty, item.id);
        if (item.cls != ControlClass::Static)
            w->setFocusPolicy((item.style & WindowStyle::TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        w->setGeometry(MapDialogRect(units, item.x, item.y, item.cx, item.cy));
    }
}

QWidget* GetDlgItem(const QWidget* dialog, int id)
{
    // Children come back in creation order, which is template order.
    for (QObject* child : dialog->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        const QVariant value = w ? w->property(kIdProperty) : QVariant();
        if (value.isValid() && value.toInt() == id)
            return w;
    }
    return nullptr;
}
