#pragma once

#include <QString>

// Which database a course uses. A course root without a settings file keeps
// its database in the file "test.mdb", as it always has. A course taught in a
// lab of many PCs may instead name a PostgreSQL server in a small settings
// file of ours, "norvena.ini", in the course root:
//
//   [server]
//   engine=postgresql        ; or "file" for test.mdb
//   host=db.lab.example      ; or a socket folder such as /var/run/postgresql
//   port=5432
//   database=norvena
//   role=norvena_pc_07       ; this PC's own role, which the copy logs in as
//   password=...             ; that role's password
//   teacher_role=norvena_teacher
//   students_role=norvena_students  ; the group of the PC roles (for the
//                                   ; administrator's tool)
//
// A value holding ";" or "," is enclosed in double quotes.
struct DatabaseSettings {
    enum class Engine { File, PostgreSql };

    static constexpr const char* kFileName = "norvena.ini";
    static constexpr int kDefaultPort = 5432;

    Engine engine = Engine::File;
    QString host;
    int port = kDefaultPort;
    QString database;
    QString role = QStringLiteral("norvena_student");
    QString password;
    QString teacherRole = QStringLiteral("norvena_teacher");
    QString studentsRole = QStringLiteral("norvena_students");

    bool server() const { return engine == Engine::PostgreSql; }

    // The settings of the course in the folder: the file engine when the
    // folder holds no settings file. A settings file that cannot be read,
    // names an unknown engine or leaves out what a server needs throws Error
    // with a text that says what is wrong.
    static DatabaseSettings read(const QString& folder);
    // The same for the settings file at the path.
    static DatabaseSettings readFile(const QString& path);
};
