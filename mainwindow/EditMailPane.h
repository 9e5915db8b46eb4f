#pragma once

#include "mainwindow/PaneKit.h"

class MainModel;
class FlatEdit;
class FlatMemo;

// pnlEditMail, mail step 3: the subject (at most 36 bytes in the system code page) and the body.
class EditMailPane : public Pane
{
    Q_OBJECT
public:
    EditMailPane(MainModel &model, QWidget *parent);

private:
    PaneLabel *lbSubject = nullptr;
    PaneLabel *lbBody = nullptr;
    FlatEdit *edtSubject = nullptr;
    FlatMemo *edtBody = nullptr;
};
