-- The default conversion profile of the core's sensors (system 'Boremont',
-- parameter IDs 'S' + GID): lengths in feet instead of the stored metres
-- (displayed = 3.2808399 * metres), speeds in the stored revolutions per minute.
-- Colours are $00BBGGRR values.
INSERT INTO "SensMap" ("System", "Profile", "ID", "ExtID", "SensName", "Units", "Color", "MinValue", "MaxValue",
                       "IsLogarithmic", "Precision", "SensGroup", "Offset", "Multiplier", "Description") VALUES
  ('Boremont', 'Английские единицы', 'S101', 'DEPT', 'Глубина забоя', 'фут', 16711680, 0, 20000, 0, 2,
   'Глубина', 0, 3.2808399, 'Глубина забоя в футах'),
  ('Boremont', 'Английские единицы', 'S102', 'BOFB', 'Над забоем', 'фут', 32768, 0, 300, 0, 2,
   'Глубина', 0, 3.2808399, 'Положение долота над забоем в футах'),
  ('Boremont', 'Английские единицы', 'S103', 'BPOS', 'Тальблок', 'фут', 8388608, 0, 150, 0, 2,
   'Спуско-подъём', 0, 3.2808399, 'Положение талевого блока в футах'),
  ('Boremont', 'Английские единицы', 'S1200', 'RPM', 'Обороты ротора', 'об/мин', 255, 0, 300, 0, 0,
   'Бурение', 0, 1, 'Частота вращения ротора'),
  ('Boremont', 'Английские единицы', 'S1303', 'TDRPM', 'Обороты СВП', 'об/мин', 128, 0, 300, 0, 0,
   'Бурение', 0, 1, 'Частота вращения верхнего привода');
