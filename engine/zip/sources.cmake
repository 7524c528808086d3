target_sources(engine PRIVATE)
