#include "support/TestPlatform.h"

#include "platform/Error.h"
#include "platform/RealPlatform.h"

#include <QDir>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

TestPlatform* g_current = nullptr;

class Messages : public MessageBoxes {
public:
    void notice(QWidget*, const QString& text) override { record("notice", Platform::applicationTitle(), text); }
    void error(QWidget*, const QString& caption, const QString& text) override { record("error", caption, text); }
    bool informationYesNo(QWidget*, const QString& text) override
    {
        record("information-yes-no", QStringLiteral("Information"), text);
        return answer(text);
    }
    void informationOk(QWidget*, const QString& text) override
    {
        record("information-ok", QStringLiteral("Information"), text);
    }
    bool confirm(QWidget*, const QString& text) override
    {
        record("confirm", QStringLiteral("Confirm"), text);
        return answer(text);
    }

private:
    static void record(const char* kind, const QString& caption, const QString& text)
    {
        g_current->boxes.append({QString::fromLatin1(kind), caption, text});
    }
    static bool answer(const QString& text)
    {
        if (g_current->answers.isEmpty()) {
            g_current->unexpected.append(QStringLiteral("unanswered question: ") + text);
            return false;
        }
        return g_current->answers.takeFirst();
    }
};

class TestShell : public Shell {
public:
    int execute(const QString& operation, const QString& file, const QString& parameters, const QString& directory,
                int showCommand) override
    {
        g_current->launches.append({operation, file, parameters, directory, QDir::currentPath(), showCommand});
        return 42;
    }
};

class TestPrintDialogs : public PrintDialogs {
public:
    bool execute(QWidget*) override
    {
        ++g_current->printDialogsShown;
        return g_current->printAnswers.isEmpty() ? false : g_current->printAnswers.takeFirst();
    }
};

class TestProcess : public Process {
public:
    void quit(int exitCode) override { g_current->quitCodes.append(exitCode); }
};

class TestFileDialogs : public FileDialogs {
public:
    QString openFileName(QWidget*, const QString& caption, const QString& directory, const QString& filter) override
    {
        return answer({QStringLiteral("open"), caption, directory, filter});
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& proposed, const QString& filter,
                         const QString&) override
    {
        return answer({QStringLiteral("save"), caption, proposed, filter});
    }

private:
    static QString answer(const TestPlatform::FileDialog& dialog)
    {
        g_current->fileDialogs.append(dialog);
        if (g_current->fileAnswers.isEmpty()) {
            g_current->unexpected.append(QStringLiteral("unanswered file dialog: ") + dialog.caption);
            return {};
        }
        return g_current->fileAnswers.takeFirst();
    }
};

class TestInputDialogs : public InputDialogs {
public:
    std::optional<QString> askText(QWidget*, const QString& caption, const QString& label, const QStringList& choices,
                                   const QString& initial) override
    {
        g_current->textQuestions.append({caption, label, choices, initial});
        if (g_current->textAnswers.isEmpty()) {
            g_current->unexpected.append(QStringLiteral("unanswered question: ") + label);
            return std::nullopt;
        }
        return g_current->textAnswers.takeFirst();
    }
};

class TestPrintPreviews : public PrintPreviews {
public:
    void execute(QWidget*, const QString& documentName, const Render& render) override
    {
        g_current->previews.append({documentName});
        const qsizetype index = g_current->previews.size() - 1;
        const QString printTo = g_current->previewPrints.isEmpty() ? QString() : g_current->previewPrints.takeFirst();
        QTemporaryDir scratch;
        QPrinter preview(QPrinter::HighResolution);
        preview.setOutputFormat(QPrinter::PdfFormat);
        preview.setOutputFileName(scratch.filePath(QStringLiteral("preview.pdf")));
        if (!render(preview, true))
            return;
        g_current->previews[index].drawn = true;
        if (printTo.isEmpty())
            return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(documentName);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printTo);
        g_current->previews[index].printed = render(printer, false);
    }
};

class TestProgress : public Progress {
public:
    explicit TestProgress(qsizetype index) : m_index(index) {}
    bool advance(qint64 done) override
    {
        TestPlatform::ProgressRecord& record = g_current->progresses[m_index];
        record.done = done;
        if (g_current->cancelProgressAt >= 0 && done >= g_current->cancelProgressAt &&
            (g_current->cancelProgressIndex < 0 || g_current->cancelProgressIndex == m_index))
            record.cancelled = true;
        return !record.cancelled;
    }

private:
    qsizetype m_index;
};

class TestProgressDialogs : public ProgressDialogs {
public:
    std::unique_ptr<Progress> start(QWidget*, const QString& text, qint64 maximum) override
    {
        g_current->progresses.append({text, maximum});
        return std::make_unique<TestProgress>(g_current->progresses.size() - 1);
    }
};

} // namespace

TestPlatform::TestPlatform()
{
    Q_ASSERT(!g_current);
    g_current = this;
    Platform::install(std::make_unique<Messages>(), std::make_unique<TestShell>(), std::make_unique<TestPrintDialogs>(),
                      std::make_unique<TestProcess>(), [](QWidget* parent) -> HtmlView* {
                          if (g_current->failHtmlViews)
                              throw Error(QStringLiteral("The HTML view could not be created"));
                          if (g_current->realHtmlViews)
                              return new WebHtmlView(parent);
                          return new TestHtmlView(parent);
                      });
    Platform::installDialogs(std::make_unique<TestFileDialogs>(), std::make_unique<TestInputDialogs>(),
                             std::make_unique<TestPrintPreviews>(), std::make_unique<TestProgressDialogs>());
}

TestPlatform::~TestPlatform() { g_current = nullptr; }

TestPlatform& TestPlatform::current()
{
    Q_ASSERT(g_current);
    return *g_current;
}

QStringList TestPlatform::texts(const QString& kind) const
{
    QStringList result;
    for (const Box& box : boxes)
        if (box.kind == kind)
            result.append(box.text);
    return result;
}

QString TestPlatform::verifyDone() const
{
    QStringList problems = unexpected;
    if (!answers.isEmpty())
        problems.append(QStringLiteral("%1 queued answer(s) not used").arg(answers.size()));
    if (!fileAnswers.isEmpty())
        problems.append(QStringLiteral("%1 queued file dialog answer(s) not used").arg(fileAnswers.size()));
    if (!textAnswers.isEmpty())
        problems.append(QStringLiteral("%1 queued text answer(s) not used").arg(textAnswers.size()));
    if (!previewPrints.isEmpty())
        problems.append(QStringLiteral("%1 queued print file(s) not used").arg(previewPrints.size()));
    return problems.join(u'\n');
}

void TestPlatform::clear()
{
    boxes.clear();
    launches.clear();
    quitCodes.clear();
    printDialogsShown = 0;
    unexpected.clear();
    answers.clear();
    printAnswers.clear();
    fileDialogs.clear();
    fileAnswers.clear();
    textQuestions.clear();
    textAnswers.clear();
    previews.clear();
    previewPrints.clear();
    progresses.clear();
    cancelProgressAt = -1;
    cancelProgressIndex = -1;
}

void TestHtmlView::navigate(const QString& path)
{
    m_location = path;
    navigations.append(path);
}
