#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tickora {

/// Modal message boxes and Yes/No questions. Callers keep them from stacking.
class Dialogs
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Exclamation,
        Critical
    };
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

namespace tickora {

/// Passes every box on to another Dialogs and counts the boxes open at this moment, so callers
/// can keep boxes from stacking.
class CountingDialogs : public Dialogs
{
public:
    explicit CountingDialogs(Dialogs& inner) : m_inner(inner) {}
    void message(QWidget* parent, const QString& title, const QString& text, Icon icon) override
    {
        ++m_open;
        m_inner.message(parent, title, text, icon);
        closed();
    }
    bool question(QWidget* parent, const QString& title, const QString& text) override
    {
        ++m_open;
        const bool yes = m_inner.question(parent, title, text);
        closed();
        return yes;
    }
    int open() const { return m_open; }
    /// Runs `allClosed` each time the last open box closes, before the box's caller goes on.
    void setAllClosed(std::function<void()> allClosed) { m_allClosed = std::move(allClosed); }

private:
    void closed()
    {
        if (--m_open == 0 && m_allClosed)
            m_allClosed();
    }

    Dialogs& m_inner;
    int m_open = 0;
    std::function<void()> m_allClosed;
};

} // namespace tickora
