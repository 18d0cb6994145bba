#pragma once
// Everything the window and its pages do that is modal or leaves the program: message boxes, the open-file
// dialog, the chooser dialog's modal run, the question about unsaved changes and the desktop's "open".
// The program uses DesktopPlatform (the window's library); tests supply their own implementation, so that
// no test ever waits on a real dialog.

#include <QString>
#include <QUrl>

class QDialog;
class QWidget;

namespace tcn {

class TForm2;

// The answer to the question about unsaved changes.
enum class UnsavedChoice { Save, Discard, Cancel };

class Platform {
  public:
    virtual ~Platform() = default;
    // A modal message box with an OK button and no icon; returns when it is dismissed.
    virtual void ShowMessage(QWidget* parent, const QString& text, const QString& caption) = 0;
    // The open-file dialog, starting in `startFolder` (empty: the platform's default) and offering one
    // filter. The chosen path, or an empty text when the user cancelled.
    virtual QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                                   const QString& filter) = 0;
    // Runs the chooser dialog modally and returns its modal result (1 Confirm, 2 Cancel, 0 closed).
    virtual int ExecChooser(TForm2& dialog) = 0;
    // The desktop's "open" for a file or web address; the result is ignored.
    virtual void OpenExternal(const QUrl& url) = 0;
    // Asked before the window closes or opens another file while the tables hold changes that are not
    // saved; `fileName` is the name Save writes. Implementations written before the question existed
    // keep working: by default the changes are discarded, as if nothing had been asked.
    virtual UnsavedChoice AskUnsavedChanges(QWidget* parent, const QString& fileName) {
        (void)parent;
        (void)fileName;
        return UnsavedChoice::Discard;
    }
    // The save-file dialog, suggesting `suggestedPath`; it asks itself before an existing file is
    // replaced. The chosen path, or an empty text when the user cancelled (as implementations written
    // before it do).
    virtual QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestedPath,
                                   const QString& filter) {
        (void)parent, (void)caption, (void)suggestedPath, (void)filter;
        return {};
    }
    // Runs a dialog of the window (a preview before a change) modally and returns its result
    // (QDialog::Accepted or Rejected).
    virtual int ExecDialog(QDialog& dialog);
};

} // namespace tcn
