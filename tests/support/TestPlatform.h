#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Platform services that a test observes and answers. Nothing here ever
// blocks: every box is recorded, a question takes the next queued answer,
// and a question nobody queued an answer for is recorded as unexpected and
// answered "No"/"Cancel" (TestPlatform::verifyDone() then fails the test).
class TestPlatform {
public:
    struct Box {
        QString kind; // "notice", "error", "information-yes-no", "information-ok", "confirm"
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

    // File dialogs: each one shown, and the answers for the next ones, in
    // order: a path, or an empty text for "Cancel".
    struct FileDialog {
        QString kind; // "open", "save"
        QString caption, proposed, filter;
    };
    QList<FileDialog> fileDialogs;
    QStringList fileAnswers;

    // Questions for a line of text, and the answers for the next ones
    // (std::nullopt: "Cancel").
    struct TextQuestion {
        QString caption, label;
        QStringList choices;
        QString initial;
    };
    QList<TextQuestion> textQuestions;
    QList<std::optional<QString>> textAnswers;

    // Print previews. Each draws its pages on a PDF printer of its own; then,
    // for each preview in turn, the next entry of previewPrints is the PDF file
    // the user prints to from it (its print dialog confirmed with "Print to
    // file"), or an empty text (or none) for closing it without printing.
    struct Preview {
        QString documentName;
        bool drawn = false;   // the preview's drawing ran to its end
        bool printed = false; // printing ran to its end
    };
    QList<Preview> previews;
    QStringList previewPrints;

    // Progress of long work: each one started, and how far it went. The work
    // is cancelled when its progress reaches cancelProgressAt (-1: never);
    // only the work of that number, counted from 0 in starting order, when
    // cancelProgressIndex is not -1.
    struct ProgressRecord {
        QString text;
        qint64 maximum = 0;
        qint64 done = 0;
        bool cancelled = false;
    };
    QList<ProgressRecord> progresses;
    qint64 cancelProgressAt = -1;
    qsizetype cancelProgressIndex = -1;

    // The texts of the boxes of one kind, in order.
    QStringList texts(const QString& kind) const;
    // Fails (returns a message) when a question or dialog went unanswered or an answer stayed unused.
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
