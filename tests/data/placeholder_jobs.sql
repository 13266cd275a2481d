-- Jobs whose placeholders are expanded; machine MP has a column a shop added.
ALTER TABLE MACHINE ADD COLUMN [Postprocessor] TEXT;
INSERT INTO MACHINE (Machine, Postprocessor) VALUES ('MP', 'pp5');
INSERT INTO NCDATA (Filename, Machine, Material, Customer, Materialthickness, Version, VEMIX_SEQUENCE)
  VALUES ('P1', 'M0', '  1/2 ', '', 1.5, 3, 7);
INSERT INTO NCDATA (Filename, Machine) VALUES ('P2', 'm0');
INSERT INTO NCDATA (Filename, Machine) VALUES ('P3', 'MP');
INSERT INTO NCDATA (Filename, Machine) VALUES ('P4', 'NoMachine');
INSERT INTO NCDATA (Filename, Machine) VALUES ('A 100', 'M0');
INSERT INTO NCDATA (Filename, Machine) VALUES ('A101', 'M0');
INSERT INTO NCDATA (Filename, Machine, Machineset, Material) VALUES ('A100', 'M1', 'S1', '');
