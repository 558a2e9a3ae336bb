#pragma once

#include <QString>

class QWidget;

namespace tickora {

/// Modal message boxes and Yes/No questions. Callers keep them from stacking.
class Dialogs
{
public:
    enum class Icon { None, Information, Warning, Exclamation, Critical };
    virtual ~Dialogs() = default;
    /// A modal box with one OK button; returns when it is closed.
    virtual void message(QWidget* parent, const QString& title, const QString& text, Icon icon) = 0;
    /// A modal Yes/No question without icon; true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
};

class QtDialogs : public Dialogs
{
public:
    void message(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
};

} // namespace tickora
