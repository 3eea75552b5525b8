// The interface of the command editors: one widget per command kind that shows
// the command's parameters, checks them and writes them into the command. The
// checks and keys are CommandForm's; an editor only moves fields to and fro.
#pragma once

#include "commandform.h"
#include "records.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLineEdit;

namespace DevelopViews {

class ICmdWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ICmdWidget(int nameId, QWidget* parent = nullptr);

    int nameId() const { return m_nameId; }

    // Checks the fields; on success writes the parameters into cmd.params,
    // otherwise shows a warning box titled "Error" and returns false.
    virtual bool getCommand(DownloadCommand& cmd);
    virtual void setCommand(const DownloadCommand& cmd);

    // Tests: warnings go here instead of a message box (nullptr restores the box).
    using WarningSink = std::function<void(const QString& title, const QString& text)>;
    static void setWarningSink(WarningSink sink);
    static void warn(QWidget* parent, const QString& title, const QString& text);

protected:
    virtual CommandForm form() const = 0;
    virtual void setForm(const CommandForm& form) = 0;

    // Shared field builders.
    QComboBox* makeMemoryBox(bool withRom);
    QLineEdit* makeAddressEdit(const QString& placeholder);
    QLineEdit* makeLengthEdit();
    // The chosen memory's value, and selecting one by value (an id the SoC no
    // longer lists is kept as an entry of its own, so editing does not change it).
    static QString memoryValue(const QComboBox* box);
    static void selectMemory(QComboBox* box, const QString& value);
    // An open-file dialog for "Bin (*.bin)"; empty when cancelled.
    QString pickBinFile(const QString& current);

private:
    int m_nameId;
};

} // namespace DevelopViews
