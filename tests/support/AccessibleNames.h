#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <span>

// What a screen reader meets on a window: each control, found by its object name, with its role
// and its name.
namespace testaccess {

struct Control
{
    const char *object;
    QAccessible::Role role;
    QString name;
};

inline void ExpectControls(const QObject *window, std::span<const Control> controls)
{
    for (const Control &c : controls) {
        SCOPED_TRACE(c.object);
        QAccessibleInterface *a
            = QAccessible::queryAccessibleInterface(window->findChild<QWidget *>(QLatin1String(c.object)));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), c.role);
        EXPECT_EQ(a->text(QAccessible::Name), c.name);
    }
}

// The names of the labels a screen reader finds for a control (its "labelled by").
inline QStringList LabelsOf(QWidget *control)
{
    QStringList names;
    for (const auto &[label, relation] :
         QAccessible::queryAccessibleInterface(control)->relations(QAccessible::Label))
        names << label->text(QAccessible::Name);
    return names;
}

} // namespace testaccess
