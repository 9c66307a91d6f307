#include "CallsignInput.h"

#include "convert/AdifSettings.h"
#include "gui/Prompts.h"

#include <QLineEdit>
#include <QString>

#include <string>

namespace zentu {

namespace {

/// Remembers a box's last call sign that ADIF can hold and puts it back after an edit that brought in anything else.
class CallsignGuard : public QObject {
public:
    CallsignGuard(QLineEdit* box, Prompts& prompts, std::string_view what)
        : QObject(box), m_box(box), m_prompts(prompts), m_what(what), m_good(box->text()) {
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
            if (!CheckAdifCallsign(text.toStdString(), m_what)) {
                m_good = text;
            }
        });
        connect(box, &QLineEdit::textEdited, this, [this](const QString& text) {
            const std::optional<std::string> problem = CheckAdifCallsign(text.toStdString(), m_what);
            if (!problem) {
                return;
            }
            m_box->setText(m_good);
            m_prompts.warn(m_box->window(), QString::fromStdString(*problem));
        });
    }

private:
    QLineEdit* m_box;
    Prompts& m_prompts;
    std::string m_what;
    QString m_good;
};

} // namespace

void RefuseCallsignAdifCannotHold(QLineEdit* box, Prompts& prompts, std::string_view what) {
    new CallsignGuard(box, prompts, what);
}

} // namespace zentu
