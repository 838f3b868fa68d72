-- Default installation: services of the workstation, the packages that hold
-- plug-in classes, form controls, the two default streams and the sensor
-- catalogue they carry.

-- Secondary services of the workstation ("Welvista"), in the order they must
-- run within a tick: the acquisition client fills the streams, pipe counting
-- and tubing statistics read what it added, limit alarms check at the end.
INSERT INTO Services ("Order", ServiceClass, IsPrimary, IsActive, Description, ServiceGroup) VALUES
    (10, 'TWKTCPClientService', 0, 1, 'Клиент сервера сбора данных', 'Welvista'),
    (20, 'TPipeCountService',   0, 1, 'Подсчёт элементов колонны',   'Welvista'),
    (30, 'TTubingStatService',  0, 1, 'Статистика по трубам',        'Welvista'),
    (40, 'TRangeAlarmService',  0, 1, 'Контроль диапазонов',         'Welvista');

INSERT INTO ClassModules (ClassName, ModuleName) VALUES
    ('TWKTCPClientService', 'Wirefeed.so'),
    ('TPipeCountService',   'Jointcount.so'),
    ('TTubingStatService',  'Stringtally.so'),
    ('TfrTubingStat',       'Stringtally.so'),
    ('TRangeAlarmService',  'Spanwatch.so'),
    ('TSmoothDial',         'WKExtCtrls.so'),
    ('TWKSmoothGauge',      'WKExtCtrls.so'),
    ('TWKGauge',            'WKComponents.so'),
    ('TCasingControl',      'WKComponents.so');

-- Controls the form designer offers; the classes of packages are loaded on
-- demand through ClassModules.
INSERT INTO Controls (ClassName, DisplayName, AlwaysLoad) VALUES
    ('TWKLabel',        'Надпись',              0),
    ('TWKPanel',        'Панель',               0),
    ('TWKSplitter',     'Разделитель',          0),
    ('TWKGroupBox',     'Группа',               0),
    ('TWKPageControl',  'Набор страниц',        0),
    ('TWKImage',        'Рисунок',              0),
    ('TSensGrid',       'Таблица параметров',   0),
    ('TWKSensorLabel',  'Значение параметра',   0),
    ('TWKChart',        'График',               0),
    ('TNetTree',        'Дерево подключений',   0),
    ('TOpLogGrid',      'Журнал операций',      0),
    ('TMessageLogGrid', 'Журнал сообщений',     0),
    ('TfrHintPanel',    'Панель подсказок',     0),
    ('TWKSmoothGauge',  'Стрелочный индикатор', 0),
    ('TWKGauge',        'Линейный индикатор',   0),
    ('TCasingControl',  'Конструкция скважины', 0),
    ('TfrTubingStat',   'Статистика по трубам', 0);

-- Streams: the 1-second time stream that the acquisition client fills (the
-- foremost one) and the depth stream. Period in milliseconds.
INSERT INTO Streams (ID, IntID, Name, Period, BufferSize, IsDateTime, IsPrimary, IsLogging,
                     BindToStream, MainGID, DataClass, MinStep, MaxStep, IsForemost) VALUES
    ('Time1s', 1, 'Данные по времени (1 с)', 1000, 86400, 1, 1, 1, NULL, 0,   'SrcTime', NULL, NULL, 1),
    ('Depth',  2, 'Данные по глубине',       0,    15000, 0, 1, 1, NULL, 101, 'Depth',   NULL, NULL, 0);

-- Measured sensors carry a log index; the channels computed by pipe counting
-- are published into the time stream and are not logged.
INSERT INTO StreamSens (StreamIntID, GID, SaveAsGID, IsLogging, LogIndex, ProcessingType, MathClass) VALUES
    (1, 0,    NULL, 1, 0,    NULL, NULL),
    (1, 101,  NULL, 1, 1,    NULL, NULL),
    (1, 102,  NULL, 1, 2,    NULL, NULL),
    (1, 103,  NULL, 1, 3,    NULL, NULL),
    (1, 122,  NULL, 1, 4,    NULL, NULL),
    (1, 1200, NULL, 1, 5,    NULL, NULL),
    (1, 1303, NULL, 1, 6,    NULL, NULL),
    (1, 110,  NULL, 0, NULL, NULL, NULL),
    (1, 111,  NULL, 0, NULL, NULL, NULL),
    (1, 115,  NULL, 0, NULL, NULL, NULL),
    (1, 120,  NULL, 0, NULL, NULL, NULL),
    (1, 121,  NULL, 0, NULL, NULL, NULL),
    (1, 124,  NULL, 0, NULL, NULL, NULL),
    (1, 126,  NULL, 0, NULL, NULL, NULL),
    (1, 204,  NULL, 0, NULL, NULL, NULL),
    (2, 101,  NULL, 1, 0,    NULL, NULL),
    (2, 0,    NULL, 1, 1,    NULL, NULL),
    (2, 102,  NULL, 1, 2,    NULL, NULL),
    (2, 103,  NULL, 1, 3,    NULL, NULL),
    (2, 122,  NULL, 1, 4,    NULL, NULL),
    (2, 1200, NULL, 1, 5,    NULL, NULL),
    (2, 1303, NULL, 1, 6,    NULL, NULL);

-- Sensor catalogue. Colours are $00BBGGRR values: 0 black, 255 red,
-- 32768 green, 16711680 blue, 8388608 navy, 128 maroon, 8388736 purple,
-- 8421376 teal, 32896 olive, 8421504 grey.
INSERT INTO Sensors (GID, GroupID, FullName, Name, Units, Color, APrecision, MinValue, MaxValue,
                     Hidden, Filtered, Service, NeedCalibration, FilterType, FilterData,
                     FixedTo, Fixed, FixedNoiseLevel, Static, AnalogInput) VALUES
    (0,    'Общие',                 'Время',                                  'Время',          '',       0,        0, NULL, NULL,  0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (101,  'Глубина',               'Глубина забоя',                          'Глубина',        'м',      16711680, 2, 0,    10000, 0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (102,  'Глубина',               'Положение долота над забоем',            'Над забоем',     'м',      8388608,  2, 0,    100,   0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (103,  'Спуско-подъём',         'Положение талевого блока',               'Тал. блок',      'м',      32768,    2, 0,    50,    0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (122,  'Общие',                 'Код технологической операции',           'Операция',       '',       128,      0, 0,    7,     0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (1200, 'Вращение',              'Частота вращения ротора',                'Обороты ротора', 'об/мин', 255,      0, 0,    300,   0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (1303, 'Вращение',              'Частота вращения верхнего привода',      'Обороты ВСП',    'об/мин', 8388736,  0, 0,    300,   0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (110,  'Подсчёт труб',          'Положение долота по компоновке',         'Долото (КНБК)',  'м',      8421376,  2, 0,    10000, 0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (111,  'Подсчёт труб',          'Номер трубы',                            'Труба',          '',       32896,    1, 0,    1000,  0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (115,  'Подсчёт труб',          'Положение долота',                       'Долото',         'м',      16711680, 2, 0,    10000, 0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (120,  'Подсчёт труб',          'Номер элемента колонны',                 'Элемент',        '',       0,        0, 0,    1000,  0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (121,  'Подсчёт труб',          'Длина последнего перемещения',           'Длина перемещ.', 'м',      8421504,  2, 0,    50,    0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (124,  'Подсчёт труб',          'Расхождение положения долота',           'Откл. долота',   'м',      255,      2, -10,  10,    0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (126,  'Подсчёт труб',          'Положение долота с ведущей трубой',      'Долото+ведущая', 'м',      8388608,  2, 0,    10000, 0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0),
    (204,  'Подсчёт труб',          'Вес бурильной колонны',                  'Вес колонны',    'т',      128,      1, 0,    500,   0, 0, 0, 0, -1, NULL, NULL, 0, NULL, 0, 0);

-- Installation places of sensors; an entry beginning with "[" stands for none.
INSERT INTO Locations (LocationName, NameOrder, Offset, LocType) VALUES
    ('[Не задано]',       0, 0, NULL),
    ('Ротор',             1, 0, NULL),
    ('Буровая лебёдка',   2, 0, NULL),
    ('Насосный блок',     3, 0, NULL),
    ('Ёмкостной блок',    4, 0, NULL),
    ('Устье скважины',    5, 0, NULL),
    ('Станция контроля',  6, 0, NULL);
