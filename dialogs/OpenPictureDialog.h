#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The filters of the open-picture dialog as the user sees them, each with the patterns it matches
// (letter case aside: camera files are often named in capitals).
QStringList OpenPictureFilters();

// The platform's open-picture dialog over parent, starting in startFolder (empty: where it was
// last). The chosen file, or empty when cancelled.
QString OpenPictureDialog(QWidget *parent, const QString &startFolder);
