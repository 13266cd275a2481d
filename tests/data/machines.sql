-- The machines of the job world, one per directory layout.
-- M0: no folder per job; M1: a folder per job; both directories with a trailing backslash.
INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory, NcDirectory, KelbFileExtension,
  KelbBakFileExtension, NcFileExtension, SetFileExtension, OptNcFileExtension)
  VALUES ('M0', 0, 'D:\Jobs\', 'D:\Nc\', 'job', 'bak', 'nc', 'set', 'opt');
INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory, NcDirectory, KelbFileExtension, NcFileExtension)
  VALUES ('M1', 1, 'D:\Jobs\', 'D:\Nc\', 'job', 'nc');
-- Own: a folder per job under D:\Jobs and D:\Nc, optimised files in the relative folder Opt.
INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory, NcDirectory, OptNcDirectory,
  KelbFileExtension, NcFileExtension, DatFileExtension, OptNcFileExtension)
  VALUES ('Own', 1, 'D:\Jobs\', 'D:\Nc', 'Opt', 'cam', 'nc', 'dat', 'opt');
-- Flat: job and NC files share D:\Shared.
INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory, NcDirectory, KelbFileExtension,
  NcFileExtension, SetFileExtension, DatFileExtension)
  VALUES ('Flat', 0, 'D:\Shared', 'D:\Shared', 'cam', 'nc', 'set', 'dat');
-- Split: separate trees D:\J0 and D:\N0 with the absolute optimisation folder D:\OptAbs.
INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory, NcDirectory, OptNcDirectory,
  KelbFileExtension, NcFileExtension, OptNcFileExtension)
  VALUES ('Split', 0, 'D:\J0', 'D:\N0', 'D:\OptAbs', 'cam', 'nc', 'opt');
-- Machines whose directories hold placeholders, cutting forms and special folders.
INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory) VALUES ('MF', 1, 'D:\Jobs\$(FILENAME)\cam\');
INSERT INTO MACHINE (Machine, KelbDirectory, NcDirectory, NcFileExtension)
  VALUES ('MC', 'D:\$(Left(2))\$(right(2))\$(Mid(2,3))\$(Material)', 'D:\Nc\$(Customer)\$(NcFileExtension)', 'nc');
INSERT INTO MACHINE (Machine, KelbDirectory)
  VALUES ('MB', 'D:\J\$(Left(99999999999))\$(Mid(a,b))\$(NoSuchColumn)\))\$(Material');
INSERT INTO MACHINE (Machine, KelbDirectory, NcDirectory, TemplateFile)
  VALUES ('MS', '$(ComDocsPath)\Jobs', '$(PfPath)\Nc', '$(AppPath)\tpl\$(Filename).tpl');
INSERT INTO MACHINE (Machine, KelbDirectory) VALUES ('Bob''s', 'D:\Q\$(Name)');
INSERT INTO MACHINE (Machine, NCExportDirectory, ExportDirectory, NCExportFileExtensions)
  VALUES ('ME', 'D:\Exp\$(Left(1))', 'D:\X\$(filename)\$(Material)', 'nc;txt');
-- MD: data file, PDF set-up sheet and optimised files beside the NC file.
INSERT INTO MACHINE (Machine, KelbDirectory, NcDirectory, NcFileExtension, DatFileExtension, SetFileExtension,
  OptNcFileExtension) VALUES ('MD', 'D:\Jobs', 'D:\Nc', 'nc', 'txt', 'PDF', 'opt');
-- NoDir: no job folder and a relative NC folder, which must never mean the root or the working folder.
INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory, NcDirectory, KelbFileExtension)
  VALUES ('NoDir', 1, '', 'rel\nc', 'cam');
