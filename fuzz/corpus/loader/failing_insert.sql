CREATE TABLE dbo.Extra (Id int NOT NULL PRIMARY KEY, Code varchar(3) NOT NULL)
GO
INSERT INTO dbo.Extra (Id, Code) VALUES (1, 'abc')
INSERT INTO dbo.Extra (Id, Code) VALUES (1, 'toolong')
GO
