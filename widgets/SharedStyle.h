#pragma once

#include <QApplication>
#include <QPointer>
#include <QStyle>

// One style object of a kind for every widget that asks: a style sheet per widget would cost the
// parsing of it each time one is made. Lives as long as the application.
template <class Style>
QStyle *SharedStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new Style;
        style->setParent(qApp);
    }
    return style;
}
