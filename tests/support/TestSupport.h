#pragma once

#include "kit/Prompts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class DbConnection;
class QWidget;
class ServerDatabase;

// A fresh program folder for one test: a new Kestrel.mdb written by the schema code, every window
// created, the database opened, and scripted prompts installed. With KESTREL_TEST_ENGINE set to
// "postgresql" the books are a fresh database on the test server instead (ServerDatabase).
class TestProgram {
public:
    // openDatabase false: the folder and windows exist, the database is neither written nor opened.
    // The window tests reach every page of the main window without signing in; startAsProgram
    // leaves the main window as the program creates it (no page until a role signs in).
    explicit TestProgram(bool openDatabase = true, bool startAsProgram = false);
    ~TestProgram();
    TestProgram(const TestProgram&) = delete;
    TestProgram& operator=(const TestProgram&) = delete;

    QString Folder() const; // ends with "/"
    QString DatabasePath() const;
    ScriptedPrompts& Prompts() { return *prompts; }
    // Runs a statement on the open database and fails the test on an error.
    void Exec(const QString& sql);
    // The first column of the first row, as text ("" when no row).
    QString Scalar(const QString& sql);
    // The first column of every row, as text, joined by separator (engine-neutral string
    // aggregation: the order is the statement's own).
    QString Joined(const QString& sql, const QString& separator = QStringLiteral(","));
    // Opens a second workstation's own connection on the same books (the file, or the server
    // database); fails the test when it cannot.
    bool OpenOtherWorkstation(DbConnection& connection);
    // Whether the books are on the test server rather than in a database file.
    bool OnServer() const { return server != nullptr; }
    // Whether the program has written its configuration file since the test program was made (on
    // the server the file holds the server's connection string from the start, as a shop's does).
    bool IniWritten() const;
    // From now on every statement that does event ("Insert", "Update" or "Delete") to a row of
    // table fails with message, as a locked or damaged table would.
    void RefuseWrites(const QString& table, const QString& event, const QString& message);

private:
    QTemporaryDir dir;
    std::unique_ptr<ServerDatabase> server;
    ScriptedPrompts* prompts;
    std::unique_ptr<::Prompts> previous;
    QByteArray iniAtStart; // the configuration file as made, empty when there was none
};

// The bytes of a database of this program whose header, schema and tables read well, with one
// page of the customer list overwritten: only a read of that page, or a check of every page,
// shows it.
QByteArray DatabaseWithDamagedPage();

// Adds the rows of a Qt Test table with the column "content" (QByteArray): files that must not be
// restored as books (text, empty, a damaged header or page, another program's database, books of a
// later version).
void AddFilesThatAreNoBooks();

// The number a failure message gives after its fixed words ("数据库备份失败，失败号为：2\n\n…");
// "" when the text does not begin with the words and a number.
QString FailureNumber(const QString& text, const QString& words);

// With KESTREL_SCREENSHOTS set to a folder, saves a picture of the window there under name.
void SaveScreenshot(QWidget* window, const QString& name);
// The named controls shown in a window that do not lie wholly inside it.
QStringList ChildrenOutside(QWidget* window);
