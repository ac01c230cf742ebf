// SPDX-License-Identifier: MIT
#include "AccessibleNames.h"

#include "Resource.h"
#include "SwarmCanvas.h"
#include "TemplateBuilder.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace {

struct AccessibleText {
    int id;
    const char* name;
    const char* description; // null for none
    int labelOf;             // the box a label names, 0 for none
};

constexpr AccessibleText kTexts[] = {
    {IDC_CANVAS, "Particles", nullptr, 0},
    {IDC_NUM, "Num", "Number of particles", 0},
    {IDC_NUM_LABEL, "Num", nullptr, IDC_NUM},
    {IDC_PLAY_NICE, "Play Nice", "When on, each frame leaves the processor to other programs for a moment", 0},
    {IDC_ATTRACTION, "Attraction (Far)", "Strength of the attraction at a distance", 0},
    {IDC_ATTRACTION_LABEL, "Attraction (Far)", nullptr, IDC_ATTRACTION},
    {IDC_REPULSION, "Repulsion (Near)", "Strength of the repulsion up close", 0},
    {IDC_REPULSION_LABEL, "Repulsion (Near)", nullptr, IDC_REPULSION},
    {IDC_FRICTION, "Friction", "The fraction of its speed that a particle loses at each frame", 0},
    {IDC_FRICTION_LABEL, "Friction", nullptr, IDC_FRICTION},
    {IDC_CREDIT, "About Driftmote (Quenly Vostrake 200308)", "Opens the About box", 0},
    {IDC_PRESET_PREV, "Previous preset", "Types the previous Fun Preset into the boxes", 0},
    {IDC_PRESET_NEXT, "Next preset", "Types the next Fun Preset into the boxes", 0},
    {IDC_PRESETS_LABEL, "Fun Presets", nullptr, 0},
};

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
    for (const AccessibleText& text : kTexts) {
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
    const QString description = QStringLiteral("%1 %2, %3")
                                    .arg(particles)
                                    .arg(particles == 1 ? QStringLiteral("particle") : QStringLiteral("particles"))
                                    .arg(paused ? QStringLiteral("paused") : QStringLiteral("running"));
    if (canvas.accessibleDescription() != description)
        canvas.setAccessibleDescription(description);
}
