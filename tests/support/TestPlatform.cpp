#include "support/TestPlatform.h"

#include "platform/Error.h"
#include "platform/RealPlatform.h"

#include <QDir>

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

} // namespace

TestPlatform::TestPlatform()
{
    Q_ASSERT(!g_current);
    g_current = this;
    Platform::install(std::make_unique<Messages>(), std::make_unique<TestShell>(),
                      std::make_unique<TestPrintDialogs>(), std::make_unique<TestProcess>(),
                      [](QWidget* parent) -> HtmlView* {
                          if (g_current->failHtmlViews)
                              throw Error(QStringLiteral("The HTML view could not be created"));
                          if (g_current->realHtmlViews)
                              return new WebHtmlView(parent);
                          return new TestHtmlView(parent);
                      });
}

TestPlatform::~TestPlatform()
{
    g_current = nullptr;
}

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
}

void TestHtmlView::navigate(const QString& path)
{
    m_location = path;
    navigations.append(path);
}
