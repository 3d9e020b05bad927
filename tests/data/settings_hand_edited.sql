-- A settings store as someone might have edited it with an SQLite tool: values typed as numbers,
-- line breaks, keys in another case, records in other sections. "keep", "also" and "lines" hold
-- usable records; the others must leave their bars alone.
INSERT OR REPLACE INTO settings(section, key, value) VALUES
  ('DockBar', 'keep', '2:1:0:900'),
  ('DockBar', 'also', '1:1:1:1500' || char(13) || char(10)),
  ('DockBar', 'lines', '5' || char(13) || char(10) || ':1:0:900'),
  ('DockBar', 'number', 3),
  ('DockBar', 'real', 2.5),
  ('DockBar', 'huge', '6:1:0:' || '9999999999999999999999999999'),
  ('DockBar', 'Upper', '7:4:0:900'),
  ('dockbar', 'upper', '7:4:0:900'),
  ('Other', 'upper', '7:4:0:900');
