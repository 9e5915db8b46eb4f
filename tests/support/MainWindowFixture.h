#pragma once

#include "common/UserData.h"
#include "dialogs/PopupListBoxUnit.h"
#include "mainwindow/MainUnit.h"
#include "support/Files.h"
#include "support/MainFakes.h"
#include "support/ScriptedPrompt.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The main window in a work folder of its own that holds the two sounds, with a sender address,
// the prompt and the dialogs scripted. Each test makes the window over the parts it drives.
class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testfiles::copySounds(work.path()));
        settings.FromAddress = "me@example.jp";
    }
    void TearDown() override
    {
        if (main) {
            // Closing asks; the tests that close answer themselves.
            main->hide();
            main.reset();
        }
        // The model's parts hold on to services a derived fixture owns, which go before ours.
        model.reset();
    }

    QString workFolder() const { return work.path() + '/'; }

    // Made over these parts, not yet shown: the model over the services, attachParts on it, then the
    // window.
    TMain &makeMain(std::function<void(MainModel &)> attachParts, MainModel::Services services = {})
    {
        main.reset();
        model = std::make_unique<MainModel>(
            MainModel::Context {workFolder(), settings, prompt, dialogs, {}, services});
        if (attachParts)
            attachParts(*model);
        main = std::make_unique<TMain>(MainContext {*model, &popup});
        return *main;
    }
    // Shown; the rest of showing runs from the event loop.
    TMain &showMain()
    {
        main->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        QTest::qWait(20);
        return *main;
    }

    template<class T = QWidget> T *child(const char *name) const
    {
        T *w = main->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QTemporaryDir work;
    TUserData settings {work.path() + '/'};
    ScriptedPrompt prompt;
    FakeDialogs dialogs;
    TPopupListBox popup;
    std::unique_ptr<MainModel> model;
    std::unique_ptr<TMain> main;
};
