#include "widgets/ProgramFont.h"

#include <QApplication>
#include <QFont>

void ApplyProgramFont(QApplication &app)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}
