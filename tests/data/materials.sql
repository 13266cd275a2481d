-- Jobs with materials for the replace road: two match "ST*", one is Null, one empty.
INSERT INTO NCDATA (Filename, ProgramNumber, Material) VALUES ('A', 'PA', 'ST52');
INSERT INTO NCDATA (Filename, ProgramNumber, Material) VALUES ('B', 'PB', 'ST37');
INSERT INTO NCDATA (Filename, ProgramNumber, Material) VALUES ('C', 'PC', 'AL99');
INSERT INTO NCDATA (Filename, ProgramNumber, Material) VALUES ('D', 'PD', Null);
INSERT INTO NCDATA (Filename, ProgramNumber, Material) VALUES ('E', 'PE', '');
