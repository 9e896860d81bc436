#pragma once

#include <QString>
#include <memory>

class SQLConnection;
class frmPharvel;

// The run-wide components made and the pharmacist logged in as the program does at start-up,
// then the main window loaded and shown; the window closed and the components released when it
// goes. Throws std::runtime_error when the catalogue cannot be reached.
class BenchMainWindow
{
public:
    BenchMainWindow(const QString& target, const QString& userId, const QString& password);
    ~BenchMainWindow();
    BenchMainWindow(const BenchMainWindow&) = delete;
    BenchMainWindow& operator=(const BenchMainWindow&) = delete;

    frmPharvel& Window() const { return *m_window; }
    SQLConnection& Connection() const;

private:
    std::unique_ptr<frmPharvel> m_window;
};
