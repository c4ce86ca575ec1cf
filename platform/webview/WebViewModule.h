#pragma once

#include <QtGlobal>

class QWidget;

// The browser engine lives in its own module, norvena_webview, beside the
// program file. The program loads it at the first navigation of an HTML view,
// so that a run which never shows a document never loads the engine.
//
// The module exports one C function: it creates the engine's view as a child
// of parent. The view has an invokable method navigate(QString), which takes a
// plain local file-system path and does not wait for the document to load.
extern "C" Q_DECL_EXPORT QWidget* norvena_create_web_view(QWidget* parent);

namespace WebViewModule {

// The name under which the module exports the function above.
inline constexpr char kFactory[] = "norvena_create_web_view";
using Factory = decltype(&norvena_create_web_view);

} // namespace WebViewModule
