CREATE TABLE dbo.[a]]'b] (x int NULL, "q""'" varchar(40) NULL) -- it's a comment
GO
/* a [ bracket /* nested ' */ ] */
INSERT dbo.[a]]'b] VALUES (1, 'it''s
GO
not a separator')
GO 3
INSERT dbo.[a]]'b] (x) VALUES ((((((7))))))
GO
