#include "gui/Prompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace zentu {

void Prompts::warn(QWidget* parent, const QString& text) {
    notify(parent, text);
}

QString Prompts::openFile(QWidget* /*parent*/, const QString& /*filter*/, const QString& /*start*/) {
    return {};
}

QString Prompts::saveFile(QWidget* /*parent*/, const QString& /*filter*/, const QString& /*start*/) {
    return {};
}

void MessageBoxPrompts::notify(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

bool MessageBoxPrompts::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxPrompts::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void MessageBoxPrompts::warn(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

QString MessageBoxPrompts::openFile(QWidget* parent, const QString& filter, const QString& start) {
    return QFileDialog::getOpenFileName(parent, QString(), start, filter);
}

QString MessageBoxPrompts::saveFile(QWidget* parent, const QString& filter, const QString& start) {
    return QFileDialog::getSaveFileName(parent, QString(), start, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

} // namespace zentu
