#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// Labels of the settings window. Secondary text uses the palette's placeholder role, so it
// follows the desktop's light or dark theme like the primary text does.
namespace SettingsText {

enum class Tone { primary, secondary };

QLabel* label(const QString& text, int pixelSize, QFont::Weight weight = QFont::Normal,
              Tone tone = Tone::primary, QWidget* parent = nullptr);

}  // namespace SettingsText
