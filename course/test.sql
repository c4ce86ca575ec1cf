-- The demo course's test database. The build turns this file into test.mdb
-- with the sqlite3 shell; the program itself never creates or changes the
-- schema.
PRAGMA journal_mode = DELETE;

CREATE TABLE temi (
    rasdel  VARCHAR(255)
);

CREATE TABLE test (
    id      INTEGER PRIMARY KEY AUTOINCREMENT,
    nom     INTEGER,
    nom1    INTEGER,
    test    TEXT,
    rasdel  VARCHAR(255),
    otv     VARCHAR(1)
);

CREATE TABLE testing (
    nom     VARCHAR(10),
    nom1    INTEGER,
    otv     VARCHAR(1)
);

CREATE TABLE result (
    fio     VARCHAR(50),
    data    DATE,
    kol     VARCHAR(10),
    ocenka  VARCHAR(2)
);

CREATE TABLE media (
    name    VARCHAR(100),
    file    VARCHAR(255)
);
