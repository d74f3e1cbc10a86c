// Names a file in an open save dialog and accepts it, as a user typing the name would.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

// False while the dialog does not hold the name yet: it leaves its name field alone while the
// field has the focus, and reads its folder in the background. Callers poll until true. The
// dialog is accepted as it is, past its own checks (the overwrite question and the like).
inline bool acceptFileName(QFileDialog& dialog, const QString& fileName)
{
    if (QWidget* focused = dialog.focusWidget())
        focused->clearFocus();
    dialog.selectFile(fileName);
    if (dialog.selectedFiles().value(0) != QFileInfo(fileName).absoluteFilePath())
        return false;
    // QFileDialog's done() is protected; through its base it is the same call.
    static_cast<QDialog&>(dialog).done(QDialog::Accepted);
    return true;
}
