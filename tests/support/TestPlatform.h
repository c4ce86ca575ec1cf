#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QString>
#include <QStringList>

// Platform services that a test observes and answers. Nothing here ever
// blocks: every box is recorded, a question takes the next queued answer,
// and a question nobody queued an answer for is recorded as unexpected and
// answered "No"/"Cancel" (TestPlatform::verifyDone() then fails the test).
class TestPlatform {
public:
    struct Box {
        QString kind;    // "notice", "error", "information-yes-no", "information-ok", "confirm"
        QString caption;
        QString text;
    };
    struct Launch {
        QString operation, file, parameters, directory, workingDirectory;
        int showCommand = 0;
    };

    // Installs the test services as the program's platform. One at a time.
    TestPlatform();
    ~TestPlatform();

    static TestPlatform& current();

    QList<Box> boxes;
    QList<Launch> launches;
    QList<int> quitCodes;
    int printDialogsShown = 0;
    QStringList unexpected;

    // Answers for the next questions, in order: true = "&Yes" / "OK".
    QList<bool> answers;
    // Answers for the next print dialogs: true = confirmed.
    QList<bool> printAnswers;
    // When set, the next HTML views fail to be created.
    bool failHtmlViews = false;
    // When set, the next HTML views are the program's real ones, with the
    // browser engine (loaded at their first navigation).
    bool realHtmlViews = false;

    // The texts of the boxes of one kind, in order.
    QStringList texts(const QString& kind) const;
    // Fails (returns a message) when a question went unanswered or an answer stayed unused.
    QString verifyDone() const;
    void clear();
};

// The HTML view the tests see: it records navigations and loads nothing.
class TestHtmlView : public HtmlView {
    Q_OBJECT
public:
    using HtmlView::HtmlView;
    void navigate(const QString& path) override;
    QString location() const override { return m_location; }
    QStringList navigations;

private:
    QString m_location;
};
