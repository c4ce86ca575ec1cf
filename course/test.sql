-- The demo course's test database. The build turns this file into test.mdb
-- with the sqlite3 shell; the program itself changes the schema only to add
-- the table of the runs' answers (otvety) to a file that has none.
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

-- The answers of graded runs, beside their result rows (result: the result
-- row's rowid), for the teacher's statistics.
CREATE TABLE otvety (
    result  INTEGER,
    id      INTEGER,
    nom     INTEGER,
    otv     VARCHAR(1),
    verno   VARCHAR(1),
    rasdel  VARCHAR(255)
);
CREATE INDEX otvety_result ON otvety (result);
-- A topic's answers by question and letters, read without the table.
CREATE INDEX otvety_rasdel ON otvety (rasdel, id, verno, otv, nom, result);

-- Demo data: topics on Russian literature with their questions, a few
-- stored results and the multimedia catalogue. The answer sheet starts empty.
BEGIN;

INSERT INTO temi (rasdel) VALUES ('Пушкин');
INSERT INTO temi (rasdel) VALUES ('Лермонтов');
INSERT INTO temi (rasdel) VALUES ('Поэма ''Мцыри''');
INSERT INTO temi (rasdel) VALUES ('Гоголь');
INSERT INTO temi (rasdel) VALUES ('Толстой');
INSERT INTO temi (rasdel) VALUES ('Достоевский'); -- no questions yet

-- nom: number within the topic; nom1: running number over the table.
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (1, 1, 'В каком году родился Александр Сергеевич Пушкин?
A) 1789
B) 1799
C) 1809
D) 1812
E) 1825', 'Пушкин', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (2, 2, 'В каком учебном заведении учился Пушкин?
A) Московский университет
B) Пажеский корпус
C) Царскосельский лицей
D) Дерптский университет
E) Благородный пансион', 'Пушкин', 'C');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (3, 3, 'Как называется роман в стихах Пушкина?
A) «Полтава»
B) «Руслан и Людмила»
C) «Медный всадник»
D) «Евгений Онегин»
E) «Граф Нулин»', 'Пушкин', 'D');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (4, 4, 'Кому Пушкин посвятил стихотворение «Я помню чудное мгновенье…»?
A) Анне Керн
B) Наталье Гончаровой
C) Марии Волконской
D) Елизавете Воронцовой
E) Анне Олениной', 'Пушкин', 'A');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (5, 5, 'Кто ведёт рассказ в «Капитанской дочке»?
A) Швабрин
B) Савельич
C) Пугачёв
D) капитан Миронов
E) Пётр Гринёв', 'Пушкин', 'E');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (6, 6, 'Какая повесть не входит в «Повести Белкина»?
A) «Выстрел»
B) «Метель»
C) «Пиковая дама»
D) «Гробовщик»
E) «Станционный смотритель»', 'Пушкин', 'C');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (7, 7, 'Как звали няню Пушкина?
A) Арина Родионовна
B) Марья Гавриловна
C) Василиса Егоровна
D) Авдотья Ивановна
E) Пелагея Петровна', 'Пушкин', 'A');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (8, 8, 'Какое произведение Пушкина названо «Петербургской повестью»?
A) «Пиковая дама»
B) «Медный всадник»
C) «Домик в Коломне»
D) «Египетские ночи»
E) «Дубровский»', 'Пушкин', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (9, 9, 'Где Пушкин провёл знаменитую осень 1830 года?
A) в Михайловском
B) в Тригорском
C) в Царском Селе
D) в Кишинёве
E) в Болдине', 'Пушкин', 'E');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (10, 10, 'Кто смертельно ранил Пушкина на дуэли?
A) Дантес
B) Мартынов
C) Геккерн
D) Данзас
E) Толстой-Американец', 'Пушкин', 'A');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (11, 11, 'Какая «маленькая трагедия» начинается словами «Все говорят: нет правды на земле»?
A) «Борис Годунов»
B) «Каменный гость»
C) «Моцарт и Сальери»
D) «Пир во время чумы»
E) «Скупой рыцарь»', 'Пушкин', 'C');

INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (1, 12, 'В каком году родился Михаил Юрьевич Лермонтов?
A) 1799
B) 1809
C) 1814
D) 1821
E) 1828', 'Лермонтов', 'C');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (2, 13, 'Какое стихотворение принесло Лермонтову известность в 1837 году?
A) «Бородино»
B) «Смерть поэта»
C) «Парус»
D) «Пророк»
E) «Дума»', 'Лермонтов', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (3, 14, 'Кто главный герой романа «Герой нашего времени»?
A) Максим Максимыч
B) Грушницкий
C) доктор Вернер
D) Печорин
E) Вулич', 'Лермонтов', 'D');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (4, 15, 'Какой повестью открывается роман «Герой нашего времени»?
A) «Тамань»
B) «Фаталист»
C) «Бэла»
D) «Княжна Мери»
E) «Максим Максимыч»', 'Лермонтов', 'C');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (5, 16, 'Строки «Белеет парус одинокой / В тумане моря голубом» открывают стихотворение…
A) «Тучи»
B) «Утёс»
C) «Выхожу один я на дорогу»
D) «Родина»
E) «Парус»', 'Лермонтов', 'E');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (6, 17, 'Кто убил Лермонтова на дуэли?
A) Мартынов
B) де Барант
C) Дантес
D) Столыпин
E) Глебов', 'Лермонтов', 'A');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (7, 18, 'В каком городе погиб Лермонтов?
A) в Тифлисе
B) в Пятигорске
C) в Кисловодске
D) в Москве
E) в Тарханах', 'Лермонтов', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (8, 19, 'Какая поэма Лермонтова рассказывает о падшем ангеле?
A) «Мцыри»
B) «Беглец»
C) «Измаил-Бей»
D) «Демон»
E) «Боярин Орша»', 'Лермонтов', 'D');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (9, 20, 'Чей рассказ слышит читатель в стихотворении «Бородино»?
A) молодого офицера
B) старого солдата
C) Кутузова
D) французского пленного
E) самого автора', 'Лермонтов', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (10, 21, 'В какой драме Лермонтова героиня Нина гибнет от яда?
A) «Маскарад»
B) «Два брата»
C) «Странный человек»
D) «Испанцы»
E) «Люди и страсти»', 'Лермонтов', 'A');

INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (1, 22, 'Где происходит действие поэмы «Мцыри»?
A) в Крыму
B) в Чечне
C) в Армении
D) в Грузии, близ Мцхеты
E) на Тереке у Кизляра', 'Поэма ''Мцыри''', 'D');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (2, 23, 'Что значит слово «мцыри» по-грузински?
A) пленник
B) неслужащий монах, послушник
C) воин
D) странник
E) горец', 'Поэма ''Мцыри''', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (3, 24, 'С каким зверем сражается Мцыри во время побега?
A) с медведем
B) с волком
C) с кабаном
D) с туром
E) с барсом', 'Поэма ''Мцыри''', 'E');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (4, 25, 'Сколько дней Мцыри провёл на воле?
A) один
B) два
C) три
D) семь
E) сорок', 'Поэма ''Мцыри''', 'C');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (5, 26, 'В какой форме написана большая часть поэмы?
A) исповеди героя
B) письма
C) дневника
D) диалога двух монахов
E) рассказа автора', 'Поэма ''Мцыри''', 'A');

INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (1, 27, 'Как называется первый сборник повестей Гоголя?
A) «Миргород»
B) «Арабески»
C) «Вечера на хуторе близ Диканьки»
D) «Петербургские повести»
E) «Выбранные места из переписки с друзьями»', 'Гоголь', 'C');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (2, 28, 'Кто главный герой поэмы «Мёртвые души»?
A) Манилов
B) Чичиков
C) Ноздрёв
D) Собакевич
E) Плюшкин', 'Гоголь', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (3, 29, 'За кого принимают Хлестакова в комедии «Ревизор»?
A) за ревизора
B) за жениха
C) за помещика
D) за купца
E) за почтмейстера', 'Гоголь', 'A');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (4, 30, 'В какой повести чиновник мечтает о новой шинели?
A) «Нос»
B) «Портрет»
C) «Невский проспект»
D) «Шинель»
E) «Записки сумасшедшего»', 'Гоголь', 'D');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (5, 31, 'Как звали сыновей Тараса Бульбы?
A) Иван и Пётр
B) Остап и Андрий
C) Остап и Пётр
D) Андрий и Иван
E) Богдан и Андрий', 'Гоголь', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (6, 32, 'В какой повести действуют панночка-ведьма и Хома Брут?
A) «Майская ночь»
B) «Страшная месть»
C) «Ночь перед Рождеством»
D) «Сорочинская ярмарка»
E) «Вий»', 'Гоголь', 'E');

INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (1, 33, 'Где родился Лев Николаевич Толстой?
A) в Москве
B) в Ясной Поляне
C) в Казани
D) в Петербурге
E) в Туле', 'Толстой', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (2, 34, 'Какой роман начинается фразой «Все счастливые семьи похожи друг на друга…»?
A) «Война и мир»
B) «Воскресение»
C) «Анна Каренина»
D) «Семейное счастие»
E) «Крейцерова соната»', 'Толстой', 'C');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (3, 35, 'Кто из героев «Войны и мира» смотрит в небо Аустерлица?
A) Пьер Безухов
B) Николай Ростов
C) Долохов
D) Андрей Болконский
E) Денисов', 'Толстой', 'D');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (4, 36, 'Какая повесть вместе с «Отрочеством» и «Юностью» составляет трилогию?
A) «Детство»
B) «Казаки»
C) «Утро помещика»
D) «Два гусара»
E) «Альберт»', 'Толстой', 'A');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (5, 37, 'Чей первый бал описан в «Войне и мире»?
A) Элен Курагиной
B) Сони
C) Марьи Болконской
D) Веры Ростовой
E) Наташи Ростовой', 'Толстой', 'E');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (6, 38, 'Какой войне посвящены «Севастопольские рассказы»?
A) Отечественной войне 1812 года
B) Крымской войне
C) Кавказской войне
D) Русско-турецкой войне 1877–1878 годов
E) Русско-японской войне', 'Толстой', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (7, 39, 'Как зовут героя повести «Смерть Ивана Ильича»?
A) Иван Ильич Головин
B) Иван Петрович Белкин
C) Илья Ильич Обломов
D) Иван Фёдорович Шпонька
E) Иван Никифорович Довгочхун', 'Толстой', 'A');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (8, 40, 'Кто главный герой романа «Воскресение»?
A) Левин
B) Нехлюдов
C) Вронский
D) Каренин
E) Оленин', 'Толстой', 'B');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (9, 41, 'Как называется повесть Толстого о наибе Шамиля?
A) «Кавказский пленник»
B) «Казаки»
C) «Рубка леса»
D) «Набег»
E) «Хаджи-Мурат»', 'Толстой', 'E');
INSERT INTO test (nom, nom1, test, rasdel, otv) VALUES (10, 42, 'В каком году умер Толстой?
A) 1881
B) 1895
C) 1904
D) 1910
E) 1917', 'Толстой', 'D');

INSERT INTO result (fio, data, kol, ocenka) VALUES ('Иванова Мария', '2024-03-14', '11', 'B');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Петров Сергей', '2024-03-14', '11', 'C+');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Сидоров Алексей', '2024-04-02', '5', 'A');

-- Test runs graded with their answers, for the teacher's statistics:
-- two groups took "Пушкин", one group "Лермонтов".
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Соколов А. С.', '2024-09-16', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'B', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, NULL, 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Юдина А. С.', '2024-09-16', '11', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'E', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'A', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Жуков И. П.', '2024-09-16', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'A', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'A', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'D', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'D', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'D', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Васильев М. Н.', '2024-09-16', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'A', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, NULL, 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'A', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Лебедев Т. К.', '2024-09-16', '11', 'C-');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, NULL, 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'E', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Уваров М. Н.', '2024-09-16', '11', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'A', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, NULL, 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, NULL, 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'B', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Павлов Е. В.', '2024-09-16', '11', 'B');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Белова М. Н.', '2024-09-16', '11', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'D', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'B', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Борисов Т. К.', '2024-09-16', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, NULL, 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'A', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'B', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'A', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Шилова М. Н.', '2024-09-16', '11', 'C-');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'D', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Алексеев О. Д.', '2024-09-16', '11', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'D', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'A', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'D', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Фёдорова Е. В.', '2024-09-16', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'B', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'A', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'E', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'E', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'D', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Никитин Е. В.', '2024-09-23', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'D', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, NULL, 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, NULL, 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Ильин Т. К.', '2024-09-23', '11', 'C-');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'B', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, NULL, 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Щукин О. Д.', '2024-09-23', '11', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'B', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'E', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Егорова М. Н.', '2024-09-23', '11', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'A', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'C', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Чернов Т. К.', '2024-09-23', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'B', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'D', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'E', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, NULL, 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'B', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Морозова М. Н.', '2024-09-23', '11', 'C-');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'B', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'A', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'E', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'B', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Григорьева О. Д.', '2024-09-23', '11', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'E', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'D', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Хохлов И. П.', '2024-09-23', '11', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, NULL, 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'A', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'A', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Абрамова Т. К.', '2024-09-23', '11', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'D', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'C', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'E', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'D', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'D', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Орлова И. П.', '2024-09-23', '11', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'A', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'E', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Денисов М. Н.', '2024-09-23', '11', 'C-');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, NULL, 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, 'E', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, NULL, 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'E', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'A', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Цветкова Т. К.', '2024-09-23', '11', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 1, 1, 'B', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 2, 2, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 3, 3, 'D', 'D', 'Пушкин'), ((SELECT max(rowid) FROM result), 4, 4, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 5, 5, NULL, 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 6, 6, 'C', 'C', 'Пушкин'), ((SELECT max(rowid) FROM result), 7, 7, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 8, 8, 'E', 'B', 'Пушкин'), ((SELECT max(rowid) FROM result), 9, 9, 'C', 'E', 'Пушкин'), ((SELECT max(rowid) FROM result), 10, 10, 'A', 'A', 'Пушкин'), ((SELECT max(rowid) FROM result), 11, 11, 'C', 'C', 'Пушкин');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Никитин Т. К.', '2024-10-07', '10', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'D', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'C', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'C', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'C', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'B', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Ильин Т. К.', '2024-10-07', '10', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'E', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'A', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'A', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'E', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'D', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'E', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Щукин А. С.', '2024-10-07', '10', 'A');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'E', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Егорова И. П.', '2024-10-07', '10', 'A-');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'C', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Чернов М. Н.', '2024-10-07', '10', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, NULL, 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'D', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'A', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, NULL, 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'B', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Морозова Е. В.', '2024-10-07', '10', 'A');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'E', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Григорьева Е. В.', '2024-10-07', '10', 'B');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'E', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'C', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, NULL, 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Хохлов Е. В.', '2024-10-07', '10', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'C', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'C', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'E', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Абрамова О. Д.', '2024-10-07', '10', 'A-');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'E', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, NULL, 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Орлова М. Н.', '2024-10-07', '10', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'A', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'D', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'D', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'B', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'E', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Денисов Е. В.', '2024-10-07', '10', 'F');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'D', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'A', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'D', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'D', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'A', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'A', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'E', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'C', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Цветкова И. П.', '2024-10-07', '10', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'B', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'C', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'A', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'C', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'E', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Зайцева Е. В.', '2024-10-07', '10', 'D');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'A', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'D', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'D', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'A', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'E', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'E', 'A', 'Лермонтов');
INSERT INTO result (fio, data, kol, ocenka) VALUES ('Волкова И. П.', '2024-10-07', '10', 'C+');
INSERT INTO otvety (result, id, nom, otv, verno, rasdel) VALUES ((SELECT max(rowid) FROM result), 12, 1, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 13, 2, 'B', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 14, 3, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 15, 4, 'C', 'C', 'Лермонтов'), ((SELECT max(rowid) FROM result), 16, 5, 'E', 'E', 'Лермонтов'), ((SELECT max(rowid) FROM result), 17, 6, 'D', 'A', 'Лермонтов'), ((SELECT max(rowid) FROM result), 18, 7, 'E', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 19, 8, 'D', 'D', 'Лермонтов'), ((SELECT max(rowid) FROM result), 20, 9, 'A', 'B', 'Лермонтов'), ((SELECT max(rowid) FROM result), 21, 10, 'A', 'A', 'Лермонтов');

INSERT INTO media (name, file) VALUES ('Пушкин — портрет', 'pushkin.png');
INSERT INTO media (name, file) VALUES ('Чтение: Лермонтов', 'lermontov.wav');
INSERT INTO media (name, file) VALUES ('Чтение: Лермонтов. Парус', 'lermontov-parus.wav');

COMMIT;
