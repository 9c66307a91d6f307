#include "Cp932Input.h"

#include "ZentuTexts.h"

#include "convert/JobFiles.h"
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
            m_prompts.warn(m_box->window(), QString::fromUtf8(zentu_texts::kNotCp932).arg(refused));
        });
    }

private:
    QLineEdit* m_box;
    Prompts& m_prompts;
    QString m_good;
};

/// Remembers a box's last path that fits and puts it back after an edit that made it too long.
class PathLengthGuard : public QObject {
public:
    PathLengthGuard(QLineEdit* box, Prompts& prompts, const char* what)
        : QObject(box), m_box(box), m_prompts(prompts), m_what(what), m_good(box->text()) {
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
            if (!tooLong(text)) {
                m_good = text;
            }
        });
        connect(box, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (!tooLong(text)) {
                return;
            }
            const std::optional<std::string> problem = CheckPathSetting(text.toStdString(), m_what);
            m_box->setText(m_good);
            m_prompts.warn(m_box->window(), QString::fromStdString(problem.value_or(std::string())));
        });
    }

private:
    // Only the length is looked at here: a character CP932 lacks is refused by its own guard.
    static bool tooLong(const QString& text) {
        const CodecResult encoded = Cp932Codec::encode(text.toStdString());
        return encoded.ok && encoded.text.size() > kMaxPathBytes;
    }

    QLineEdit* m_box;
    Prompts& m_prompts;
    const char* m_what;
    QString m_good;
};

} // namespace

void RefuseTextOutsideCp932(QLineEdit* box, Prompts& prompts) {
    new Cp932Guard(box, prompts);
}

void RefusePathThatDoesNotFit(QLineEdit* box, Prompts& prompts, const char* what) {
    new PathLengthGuard(box, prompts, what);
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
