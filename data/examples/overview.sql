-- A look at the demo database, in the Access dialect that trb speaks.
-- Run: trbdb sql build/demo/trb_demo.sqlite data/examples/overview.sql

-- Plots with their site, soil and climate station
SELECT field_description.FL_ID, field_description.Location, field_description.site_description,
  soilproperties.profile, climate_station.station, field_description.mw_bat
FROM (field_description INNER JOIN soilproperties ON field_description.soil_ID = soilproperties.soil_ID)
  INNER JOIN climate_station ON field_description.climate_ID = climate_station.climate_ID
ORDER BY field_description.FL_ID
go

-- Management: years and actions per plot
SELECT cultivation.FL_ID, Min(cultivation.year) AS first_year, Max(cultivation.year) AS last_year,
  Sum(IIf(cultivation.Macode In (2,9),1,0)) AS harvests,
  Sum(IIf(cultivation.Macode=3,1,0)) AS amendments,
  Sum(IIf(cultivation.Macode=7,cultivation.Quantity,0)) AS irrigation_mm
FROM cultivation GROUP BY cultivation.FL_ID, -99
go

-- Start values and the last measurement of soil organic carbon (%)
SELECT measurements.FL_ID, "start" & Str(Min(measurements.year)) AS since,
  Max(IIf(measurements.year_number=0, measurements.meas_value, Null)) AS corg_start,
  Count(*) AS samples
FROM measurements WHERE measurements.M_IX=7 GROUP BY measurements.FL_ID
go
