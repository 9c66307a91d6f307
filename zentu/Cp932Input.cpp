#include "Cp932Input.h"

#include "ZentuTexts.h"

#include "gui/Prompts.h"
#include "text/Cp932Codec.h"

#include <QLineEdit>
#include <QString>

namespace zentu {

namespace {

/// Remembers a box's last text that CP932 holds and puts it back after an edit that brought in anything else.
class Cp932Guard : public QObject {
public:
    Cp932Guard(QLineEdit* box, Prompts& prompts) : QObject(box), m_box(box), m_prompts(prompts), m_good(box->text()) {
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
            if (FirstCharacterOutsideCp932(text).isEmpty()) {
                m_good = text;
            }
        });
        connect(box, &QLineEdit::textEdited, this, [this](const QString& text) {
            const QString refused = FirstCharacterOutsideCp932(text);
            if (refused.isEmpty()) {
                return;
            }
            m_box->setText(m_good);
            m_prompts.notify(m_box->window(), QString::fromUtf8(zentu_texts::kNotCp932).arg(refused));
        });
    }

private:
    QLineEdit* m_box;
    Prompts& m_prompts;
    QString m_good;
};

} // namespace

void RefuseTextOutsideCp932(QLineEdit* box, Prompts& prompts) {
    new Cp932Guard(box, prompts);
}

QString FirstCharacterOutsideCp932(const QString& text) {
    if (Cp932Codec::encode(text.toStdString()).ok) {
        return {};
    }
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, width);
        if (!Cp932Codec::encode(character.toStdString()).ok) {
            return character;
        }
        i += width;
    }
    return {};
}

} // namespace zentu
