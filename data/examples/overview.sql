SELECT 1 AS one
go
