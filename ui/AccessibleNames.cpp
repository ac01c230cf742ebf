// SPDX-License-Identifier: MIT
#include "AccessibleNames.h"

#include "Resource.h"
#include "SwarmCanvas.h"
#include "TemplateBuilder.h"
#include "WindowTexts.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace {

// The canvas is a picture, not a frame around other controls.
class CanvasAccessible : public QAccessibleWidget {
public:
    explicit CanvasAccessible(QWidget* canvas)
        : QAccessibleWidget(canvas, QAccessible::Graphic)
    {
    }
};

QAccessibleInterface* CanvasFactory(const QString&, QObject* object)
{
    auto* canvas = dynamic_cast<SwarmCanvas*>(object);
    return canvas ? new CanvasAccessible(canvas) : nullptr;
}

} // namespace

void ApplyAccessibleNames(QWidget& dialog)
{
    static const bool installed = [] {
        QAccessible::installFactory(CanvasFactory);
        return true;
    }();
    (void)installed;
    for (int i = 0; i < kAccessibleTextCount; ++i) {
        const AccessibleText& text = kAccessibleTexts[i];
        QWidget* control = GetDlgItem(&dialog, text.id);
        if (!control)
            continue;
        control->setAccessibleName(QString::fromUtf8(text.name));
        if (text.description)
            control->setAccessibleDescription(QString::fromUtf8(text.description));
        if (auto* label = qobject_cast<QLabel*>(control); label && text.labelOf)
            label->setBuddy(GetDlgItem(&dialog, text.labelOf));
    }
}

void DescribeCanvas(QWidget& canvas, int particles, bool paused)
{
    const QString description = QString::fromStdString(CanvasDescription(particles, paused));
    if (canvas.accessibleDescription() != description)
        canvas.setAccessibleDescription(description);
}
