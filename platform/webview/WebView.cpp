// The module norvena_webview: the engine's view behind HtmlView. Only this
// module links Qt WebEngine.

#include "platform/webview/WebViewModule.h"

#include <QString>
#include <QUrl>
#include <QWebEngineView>

namespace {

class WebView : public QWebEngineView {
    Q_OBJECT
public:
    using QWebEngineView::QWebEngineView;

    Q_INVOKABLE void navigate(const QString& path) { load(QUrl::fromLocalFile(path)); }
};

} // namespace

QWidget* norvena_create_web_view(QWidget* parent) { return new WebView(parent); }

#include "WebView.moc"
